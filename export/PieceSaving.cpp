#include "export/PieceSaving.h"

#include "portrait/PortraitPath.h"
#include "sheet/CodePage932.h"

namespace {

bool fitsAFileName(char c) {
    return static_cast<unsigned char>(c) >= 0x20 && c != 0x7F &&
           std::string_view(R"(\/:*?"<>|)").find(c) == std::string_view::npos;
}

} // namespace

std::string pieceFileName(std::string_view dollName) {
    std::string name;
    for (std::size_t i = 0; i < dollName.size(); ++i) {
        const char c = dollName[i];
        if (isLeadByte(c) && i + 1 < dollName.size() && isTrailByte(dollName[i + 1])) {
            name += dollName.substr(i++, 2);
            continue;
        }
        name += isLeadByte(c) || !fitsAFileName(c) ? '_' : c;
    }
    for (auto end = name.rbegin(); end != name.rend() && (*end == '.' || *end == ' '); ++end)
        *end = '_';
    if (name.empty())
        return "無題";
    return isReservedDeviceName(name) ? "_" + name : name;
}

std::string pieceOutcomeText(const PieceOutcome& outcome, const std::vector<std::string>& dollNames,
                             const std::string& shownPath) {
    switch (outcome.result) {
    case PieceOutcome::Result::stopped: return "ユドナリウム用コマの保存を取りやめました";
    case PieceOutcome::Result::notWritten: return "ユドナリウム用コマを保存できませんでした: " + shownPath;
    case PieceOutcome::Result::written: break;
    }
    std::string text = "ユドナリウム用コマを保存しました";
    const std::vector<std::size_t>& missing = outcome.withoutPicture;
    if (missing.size() == 1 && missing.front() < dollNames.size())
        text += "（" + dollNames[missing.front()] + " の肖像は読めなかったため、画像なし）";
    else if (!missing.empty())
        text += "（" + std::to_string(missing.size()) + " 体の肖像は読めなかったため、画像なし）";
    return text + ": " + shownPath;
}
