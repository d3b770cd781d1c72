#pragma once

// A doll folder as a group that shares one keeps it, for the benchmarks of
// the doll list: sheets spread over subfolders, each naming by its full path
// one of a few photographs, noisy as a camera's are so that they compress
// as photographs do. Pictures come from the tests' encoder (tests/
// JpegEncoding.cpp), so the folder is made the same way natively and under
// Wine.

#include "JpegEncoding.h"
#include "sheet/CharacterSheet.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

struct DollFolderPlan {
    int sheets = 1000;
    int subfolders = 20;
    int photos = 50;
    int photoWidth = 1600;
    int photoHeight = 1200;
};

namespace dollfolder {

inline void writeFile(const std::string& path, const std::string& bytes) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr)
        return;
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
}

// A shading from one colour to another with grain on it: a sum of four
// random bytes is near enough to Gaussian noise, and far quicker.
inline std::string noisyPhoto(int number, const DollFolderPlan& plan) {
    PictureToEncode picture;
    picture.width = plan.photoWidth;
    picture.height = plan.photoHeight;
    picture.quality = 90;
    picture.fullResolution = false;
    picture.samples.resize(static_cast<std::size_t>(picture.width) * picture.height * 3);
    std::uint32_t random = 2463534242u + static_cast<std::uint32_t>(number) * 7919u;
    std::size_t at = 0;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const int shade = (x + y) * 255 / (picture.width + picture.height);
            for (int channel = 0; channel < 3; ++channel) {
                random ^= random << 13;
                random ^= random >> 17;
                random ^= random << 5;
                const int grain = static_cast<int>((random & 0xFF) + (random >> 8 & 0xFF) +
                                                   (random >> 16 & 0xFF) + (random >> 24)) /
                                      4 -
                                  128;
                const int base = (shade + number * 37 + channel * 80) % 256;
                picture.samples[at++] = static_cast<JSAMPLE>(std::clamp(base + grain / 3, 0, 255));
            }
        }
    }
    return encodeJpeg(picture);
}

// The sheet file of doll `number`, its portrait line naming `portrait`.
inline std::string dollSheet(int number, const std::string& portrait) {
    static const char* const positions[] = {"アリス",   "ホリック", "オートマトン",
                                            "ジャンク", "コート",   "ソロリティ"};
    static const char* const classes[] = {"ステーシー", "タナトス",   "ゴシック",      "レクイエム",
                                          "バロック",   "ロマネスク", "サイケデリック"};
    CharacterSheet sheet;
    const std::string n = std::to_string(number);
    sheet.setDollName("ドール" + n);
    sheet.setPlayerName("プレイヤー" + std::to_string(number % 7));
    sheet.setPosition(positions[number % 6]);
    sheet.setMainClass(classes[number % 7]);
    sheet.setSubClass(classes[(number / 7) % 7]);
    sheet.setSkills({{"加速", "オート", "なし", "自身", "移動1"}});
    sheet.setHeadParts({{0, "のうみそ", "オート", "なし", "なし", "最大行動値+2"}});
    // The portrait goes straight into the text: set on the record, a
    // portrait loader that the benchmark has installed would load it.
    const std::string text = sheet.sheetFileText();
    const std::size_t afterFormat = text.find("\r\n") + 2;
    return text.substr(0, afterFormat) + portrait + text.substr(afterFormat);
}

} // namespace dollfolder

// Fills `folder` (made if missing) with "photos\photo-NN.jpg" and the
// sheets "group-NN\doll-NNNN.txt", sheet i naming photo i modulo the
// photos. Answers the photographs' paths.
inline std::vector<std::string> makeDollFolder(const std::string& folder, const DollFolderPlan& plan = {}) {
    namespace fs = std::filesystem;
    const fs::path root(folder);
    fs::create_directories(root / "photos");
    std::vector<std::string> photos;
    for (int i = 0; i < plan.photos; ++i) {
        photos.push_back((root / "photos" / ("photo-" + std::to_string(i) + ".jpg")).string());
        dollfolder::writeFile(photos.back(), dollfolder::noisyPhoto(i, plan));
    }
    for (int group = 0; group < plan.subfolders; ++group)
        fs::create_directories(root / ("group-" + std::to_string(group)));
    for (int i = 0; i < plan.sheets; ++i) {
        const fs::path sheet =
            root / ("group-" + std::to_string(i % plan.subfolders)) / ("doll-" + std::to_string(i) + ".txt");
        dollfolder::writeFile(sheet.string(),
                              dollfolder::dollSheet(i, photos[static_cast<std::size_t>(i % plan.photos)]));
    }
    return photos;
}
