#include "data/panel_ops.h"

namespace kelvaron {

int32_t NeedleAngle(const Meter& meter, long double reading) {
    return RoundInt(static_cast<long double>(meter.ZeroAngle) + meter.Scale * reading);
}

int32_t NeedleAngleFixed4(const Meter& meter, Fixed4 value) {
    const long double scale = static_cast<long double>(kFixed4Scale);
    return RoundInt((meter.Scale * static_cast<long double>(value) +
                     static_cast<long double>(meter.ZeroAngle) * scale) /
                    scale);
}

void SetNeedleAngle(PanelModel& panel, NeedleIndex needle, int32_t degrees) {
    if (needle < 0 || needle >= kNeedleCount) return;
    if (auto* control = panel.Find(kNeedleInfo[needle].component)) control->angle = degrees % 360;
}

void DrawImageListEntry(PanelModel& panel, PanelName name, const ImageList& list, int32_t index) {
    if (auto picture = list.Get(index)) panel.SetPicture(name, std::move(picture));
}

}  // namespace kelvaron
