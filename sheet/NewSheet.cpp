#include "sheet/NewSheet.h"

const char firstKarmaLine[] = "記憶のカケラを獲得する";

const Regret firstRegret = {"たからもの", "依存", 0, "幼児退行(最大行動値-2)"};

std::vector<PartEntry> standardParts(BodyLocation location) {
    switch (location) {
    case BodyLocation::head:
        return {{0, "のうみそ", "オート", "なし", "なし", "最大行動値+2"},
                {0, "めだま", "オート", "なし", "なし", "最大行動値+1"},
                {0, "あご", "アクション", "2", "0", "肉弾攻撃1"}};
    case BodyLocation::arms:
        return {{0, "こぶし", "アクション", "2", "0", "肉弾攻撃1"},
                {0, "うで", "ジャッジ", "1", "0", "支援1"},
                {0, "かた", "アクション", "4", "自身", "移動1"}};
    case BodyLocation::torso:
        // The two はらわた are separate entries that happen to be alike.
        return {{0, "せぼね", "アクション", "1", "自身", "次カウントのコスト-1"},
                {0, "はらわた", "オート", "なし", "なし", "なし"},
                {0, "はらわた", "オート", "なし", "なし", "なし"}};
    case BodyLocation::legs: break;
    }
    return {{0, "ほね", "アクション", "3", "自身", "移動1"},
            {0, "ほね", "アクション", "3", "自身", "移動1"},
            {0, "あし", "ジャッジ", "1", "0", "妨害1"}};
}
