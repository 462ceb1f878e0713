#include "data/panel_dump.h"

#include <cstdio>
#include <string_view>

#include "common/json_text.h"

namespace kelvaron {

namespace {

const char* KindName(PanelControl::Kind kind) {
    switch (kind) {
        case PanelControl::Kind::Label:
            return "label";
        case PanelControl::Kind::Needle:
            return "needle";
        case PanelControl::Kind::Image:
            break;
    }
    return "image";
}

void AppendLine(std::string& out, const ClockLine& line) {
    out += '[' + std::to_string(line.x1) + ", " + std::to_string(line.y1) + ", " +
           std::to_string(line.x2) + ", " + std::to_string(line.y2) + ']';
}

void AppendControl(std::string& out, const PanelControl& c) {
    out += "{\"name\": ";
    out += JsonString(c.name);
    out += ", \"kind\": \"";
    out += KindName(c.kind);
    out += "\", \"left\": " + std::to_string(c.left) + ", \"top\": " + std::to_string(c.top) +
           ", \"width\": " + std::to_string(c.width) + ", \"height\": " + std::to_string(c.height);
    out += ", \"visible\": ";
    out += c.visible ? "true" : "false";
    out += ", \"transparent\": ";
    out += c.transparent ? "true" : "false";
    out += ", \"picture\": ";
    if (c.picture) {
        out +=
            '"' + std::to_string(c.picture->width) + 'x' + std::to_string(c.picture->height) + '"';
    } else {
        out += "null";
    }
    if (c.kind == PanelControl::Kind::Needle) out += ", \"angle\": " + std::to_string(c.angle);
    if (c.kind == PanelControl::Kind::Label) {
        out += ", \"text\": ";
        out += JsonString(c.text);
    }
    out += '}';
}

}  // namespace

std::string PanelModelToJson(const PanelModel& panel) {
    std::string out = "{\"controls\": [";
    bool first = true;
    for (const auto& control : panel.Controls()) {
        out += first ? "\n  " : ",\n  ";
        first = false;
        AppendControl(out, control);
    }
    out += "\n],\n\"clock\": ";
    const ClockHands& hands = panel.Clock();
    if (hands.drawn) {
        out += "{\"hour\": ";
        AppendLine(out, hands.hour);
        out += ", \"minute\": ";
        AppendLine(out, hands.minute);
        out += ", \"second\": ";
        AppendLine(out, hands.second);
        out += '}';
    } else {
        out += "null";
    }
    out += "}\n";
    return out;
}

}  // namespace kelvaron
