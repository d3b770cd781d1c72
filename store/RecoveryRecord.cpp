#include "store/RecoveryRecord.h"

#include "sheet/CodePage932.h"
#include "store/SheetName.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <vector>

namespace {

constexpr std::string_view recordHeader = "Velmora recovery 1";
constexpr std::string_view lineEnd = "\r\n";

// The record's lines, each ended by CR LF; nothing when the text is not so.
std::optional<std::vector<std::string_view>> recordLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find(lineEnd);
        if (end == std::string_view::npos)
            return std::nullopt;
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end + lineEnd.size());
    }
    return lines;
}

bool isDigitAt(std::string_view text, std::size_t at) {
    return std::isdigit(static_cast<unsigned char>(text[at])) != 0;
}

// "YYYY-MM-DD hh:mm:ss"
bool isTimeText(std::string_view time) {
    constexpr std::string_view shape = "0000-00-00 00:00:00";
    if (time.size() != shape.size())
        return false;
    for (std::size_t i = 0; i < shape.size(); ++i) {
        if (shape[i] == '0' ? !isDigitAt(time, i) : time[i] != shape[i])
            return false;
    }
    return true;
}

int numberAt(std::string_view time, std::size_t at) {
    return (time[at] - '0') * 10 + (time[at + 1] - '0');
}

bool hasControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

} // namespace

std::string recoveryRecordText(const RecoveryRecord& record) {
    std::string text(recordHeader);
    text += lineEnd;
    appendAsUtf8(text, record.sheetPath);
    text += lineEnd;
    text += record.writtenAt;
    text += lineEnd;
    return text;
}

std::optional<RecoveryRecord> readRecoveryRecord(std::string_view text) {
    if (text.size() > recoveryRecordLimit || !isUtf8(text))
        return std::nullopt;
    const std::optional<std::vector<std::string_view>> lines = recordLines(text);
    if (!lines || lines->size() != 3 || (*lines)[0] != recordHeader || hasControlCharacter((*lines)[1]) ||
        !isTimeText((*lines)[2]))
        return std::nullopt;
    RecoveryRecord record{utf8ToCodePage932((*lines)[1]), std::string((*lines)[2])};
    if (codePage932ToUtf8(record.sheetPath) != (*lines)[1])
        return std::nullopt;
    return record;
}

std::string recoveryQuestion(const RecoveryRecord& record) {
    const std::string_view time = record.writtenAt;
    char when[32];
    std::snprintf(when, sizeof when, "%d月%d日 %02d:%02d", numberAt(time, 5), numberAt(time, 8),
                  numberAt(time, 11), numberAt(time, 14));
    return sheetName(record.sheetPath) + " の保存されていない変更が残っています（" + when +
           "）。復元しますか？\n\nはい: 復元します　いいえ: 破棄します　キャンセル: 次の起動まで残します";
}
