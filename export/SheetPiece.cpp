#include "export/SheetLines.h"
#include "export/SheetOutputs.h"
#include "sheet/CodePage932.h"

namespace {

using nlohmann::ordered_json;

// The piece's memo: who plays the doll and what it is, one a line.
std::string memoOf(const CharacterSheet& sheet) {
    return labelled("プレイヤー名:", sheet.getPlayerName()) + "\n" +
           labelled("享年:", sheet.getAgeAtDeath()) + "\n" + labelled("暗示:", sheet.getSuggestion()) + "\n" +
           labelled("ポジション:", sheet.getPosition()) + "\n" +
           labelled("メインクラス:", sheet.getMainClass()) + "\n" +
           labelled("サブクラス:", sheet.getSubClass());
}

ordered_json gauge(std::string_view label, std::int64_t value, std::int64_t max) {
    return {{"label", codePage932ToUtf8(label)}, {"value", value}, {"max", max}};
}

// The action value, then a madness track for each regret that has a target.
ordered_json statusOf(const CharacterSheet& sheet, std::int64_t maxAction) {
    ordered_json status = ordered_json::array({gauge("行動値", maxAction, maxAction)});
    for (const Regret& row : sheet.getRegrets())
        if (!row.target.empty())
            status.push_back(gauge(row.target, row.madnessPoints, 4));
    return status;
}

ordered_json param(std::string_view label, std::int32_t value) {
    return {{"label", codePage932ToUtf8(label)}, {"value", std::to_string(value)}};
}

ordered_json paramsOf(const CharacterSheet& sheet) {
    return ordered_json::array({param("武装", sheet.getArmament()), param("変異", sheet.getMutation()),
                                param("改造", sheet.getModification()),
                                param("寵愛点", sheet.getFavorPoints())});
}

} // namespace

nlohmann::ordered_json sheetPiece(const CharacterSheet& sheet) {
    const std::int64_t maxAction = maxActionOf(sheet);
    return {{"kind", "character"},
            {"data",
             {{"name", codePage932ToUtf8(sheet.getDollName())},
              {"initiative", maxAction},
              {"memo", codePage932ToUtf8(memoOf(sheet))},
              {"status", statusOf(sheet, maxAction)},
              {"params", paramsOf(sheet)},
              {"commands", codePage932ToUtf8(chatPalette(sheet))}}}};
}
