#include "line_content.h"

#include <cstdio>

namespace kelvaron::demo {

std::vector<std::string> SynthesisedLineSounds() {
    return {
        "sound\\brake_release.wav", "sound\\release_all.wav",    "sound\\emergency_air.wav",
        "sound\\ats_bell.wav",      "sound\\ats_chime.wav",      "sound\\atc_chime.wav",
        "sound\\horn.wav",          "sound\\whistle.wav",        "sound\\horn_long.wav",
        "sound\\door_open.wav",     "sound\\door_close.wav",     "sound\\vigilance_ring.wav",
        "sound\\squeal.wav",        "sound\\cp_start.wav",       "sound\\cp_run.wav",
        "sound\\cp_stop.wav",       "sound\\stop_alert.wav",     "sound\\buzzer_short.wav",
        "sound\\buzzer_long.wav",   "sound\\departure_bell.wav", "sound\\melody_a.wav",
        "sound\\melody_b.wav",      "sound\\crossing_bell.wav",  "sound\\bridge.wav",
        "sound\\tunnel.wav",        "sound\\passing_train.wav",
    };
}

std::vector<std::string> LineSoundFiles() {
    std::vector<std::string> files = SynthesisedLineSounds();
    for (const Voice& v : Announcements()) files.push_back(v.file);
    return files;
}

std::vector<Voice> FixedCallouts() {
    const char* speech[] = {
        "ていし",
        "けいかい",
        "ちゅうい",
        "げんそく",
        "しんこう",
        "せいげん",
        "じゅうごびょう",
        "さんじゅうびょう",
        "よんじゅうごびょう",
        "いっぷん",
        "いっぷん じゅうごびょう",
        "いっぷん さんじゅうびょう",
        "いっぷん よんじゅうごびょう",
        "おくれ",
        "かいふく",
        "はやい",
        "かくにん",
        "ていじ",
    };
    const char* caption[] = {
        "停止", "警戒",    "注意",    "減速",    "進行", "制限", "15秒", "30秒", "45秒",
        "1分",  "1分15秒", "1分30秒", "1分45秒", "延",   "回復", "早",   "確認", "定時",
    };
    std::vector<Voice> voices;
    for (int i = 0; i < 18; ++i) {
        char file[32];
        std::snprintf(file, sizeof file, "voice\\call%02d.wav", i);
        voices.push_back({file, speech[i], caption[i]});
    }
    return voices;
}

std::vector<Voice> NumberedCallouts() {
    const char* speech[] = {
        "だいいち へいそく", "だいに へいそく",     "だいさん へいそく", "えんぽう",
        "じょうない",        "しゅっぱつ",          "ちゅうけい",        "よし",
        "ていしいち よし",   "せいげん かいじょ",   "ふみきり よし",     "つうか",
        "ていしゃ",          "ぜんぽう よし",       "はっしゃ よし",     "じこく よし",
        "しんごう よし",     "しゅっぱつ しんこう",
    };
    const char* caption[] = {
        "第1閉塞", "第2閉塞",  "第3閉塞",      "遠方",     "場内",     "出発",
        "中継",    "よし",     "停止位置よし", "制限解除", "踏切よし", "通過",
        "停車",    "前方よし", "発車よし",     "時刻よし", "信号よし", "出発進行",
    };
    std::vector<Voice> voices;
    for (int i = 0; i < 18; ++i) {
        char file[32];
        std::snprintf(file, sizeof file, "voice\\name%02d.wav", i);
        voices.push_back({file, speech[i], caption[i]});
    }
    return voices;
}

std::vector<Voice> Announcements() {
    return {
        {"voice\\annc_local1.wav", "つぎは さくらだい です。", "次は桜台です。"},
        {"voice\\annc_local2.wav", "つぎは みどりがおか です。", "次は緑ヶ丘です。"},
        {"voice\\annc_local3.wav",
         "つぎは ひがしかわ です。 ひがしかわ では うんてん ていしゃ いたします。 ドアは "
         "ひらきません。",
         "次は東川です。東川では運転停車いたします。ドアは開きません。"},
        {"voice\\annc_local4.wav", "つぎは しゅうてん みなとまち です。", "次は終点港町です。"},
        {"voice\\annc_local5.wav",
         "まもなく しゅうてん みなとまち です。 おわすれものの ないよう ごちゅうい ください。",
         "まもなく終点港町です。お忘れ物のないようご注意ください。"},
        {"voice\\annc_exp1.wav",
         "この れっしゃは きゅうこう みなとまち ゆき です。 つぎは みどりがおか です。",
         "この列車は急行港町行きです。次は緑ヶ丘です。"},
        {"voice\\annc_exp2.wav", "まもなく みどりがおか です。", "まもなく緑ヶ丘です。"},
        {"voice\\annc_exp3.wav", "つぎは しゅうてん みなとまち です。", "次は終点港町です。"},
        {"voice\\annc_exp4.wav", "まもなく しゅうてん みなとまち です。", "まもなく終点港町です。"},
    };
}

std::vector<SignPicture> SignPictures() {
    return {
        {"image\\sign\\time.bmp", {"voice\\sign_time.wav", "じこく", "時刻"}},
        {"image\\sign\\limit45.bmp",
         {"voice\\sign_limit45.wav", "せいげん よんじゅうご", "制限45"}},
        {"image\\sign\\limit35.bmp",
         {"voice\\sign_limit35.wav", "せいげん さんじゅうご", "制限35"}},
        {"image\\sign\\whistle.bmp", {"voice\\sign_whistle.wav", "きてき", "汽笛"}},
        {"image\\sign\\crossing.bmp",
         {"voice\\sign_crossing.wav", "ふみきり ちゅうい", "踏切注意"}},
    };
}

std::vector<std::string> SignalPictureFiles() {
    std::vector<std::string> files;
    for (int i = 0; i < 22; ++i) {
        char file[40];
        std::snprintf(file, sizeof file, "image\\signal\\sig%02d.bmp", i);
        files.push_back(file);
    }
    return files;
}

std::vector<std::string> SlopePictureFiles() {
    return {"image\\slope_up.bmp", "image\\slope_down.bmp"};
}

}  // namespace kelvaron::demo
