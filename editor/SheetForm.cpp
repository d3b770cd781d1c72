#include "editor/SheetForm.h"

#include "editor/CellList.h"
#include "editor/ControlText.h"
#include "editor/ListCommands.h"
#include "editor/ListDrag.h"
#include "editor/SheetLists.h"
#include "portrait/PortraitView.h"
#include "refdata/ChoiceBinding.h"
#include "res/resource.h"
#include "sheet/NewSheet.h"
#include "sheet/Numbers.h"

#include <algorithm>
#include <array>
#include <limits>
#include <map>
#include <variant>

SheetFormState sheetForm;

namespace {

// Controls that show one text member or one number member of the record.
struct TextBinding {
    int id;
    void (CharacterSheet::*set)(std::string);
};

struct NumberBinding {
    int id;
    void (CharacterSheet::*set)(std::int32_t);
};

struct ChoiceBinding {
    int id;
    SheetMember member;
    HWND SheetFormState::*combo;
    std::string (CharacterSheet::*get)() const;
    void (CharacterSheet::*set)(std::string);
};

const std::array<TextBinding, 4> textBindings = {{
    {IDC_DOLL_NAME, &CharacterSheet::setDollName},
    {IDC_PLAYER_NAME, &CharacterSheet::setPlayerName},
    {IDC_AGE_AT_DEATH, &CharacterSheet::setAgeAtDeath},
    {IDC_SUGGESTION, &CharacterSheet::setSuggestion},
}};

const std::array<NumberBinding, 4> numberBindings = {{
    {IDC_ARMAMENT, &CharacterSheet::setArmament},
    {IDC_MUTATION, &CharacterSheet::setMutation},
    {IDC_MODIFICATION, &CharacterSheet::setModification},
    {IDC_FAVOR_POINTS, &CharacterSheet::setFavorPoints},
}};

const std::array<ChoiceBinding, 3> choiceBindings = {{
    {IDC_POSITION, SheetMember::position, &SheetFormState::positionCombo, &CharacterSheet::getPosition,
     &CharacterSheet::setPosition},
    {IDC_MAIN_CLASS, SheetMember::mainClass, &SheetFormState::mainClassCombo, &CharacterSheet::getMainClass,
     &CharacterSheet::setMainClass},
    {IDC_SUB_CLASS, SheetMember::subClass, &SheetFormState::subClassCombo, &CharacterSheet::getSubClass,
     &CharacterSheet::setSubClass},
}};

struct ListBinding {
    int id;
    HWND SheetFormState::*list;
};

constexpr std::array<ListBinding, 5> listBindings = {{
    {IDC_SKILL_LIST, &SheetFormState::skillList},
    {IDC_HEAD_LIST, &SheetFormState::headList},
    {IDC_ARM_LIST, &SheetFormState::armList},
    {IDC_TORSO_LIST, &SheetFormState::torsoList},
    {IDC_LEG_LIST, &SheetFormState::legList},
}};

constexpr int memoryFirst = IDC_MEMORY_TITLE_FIRST;
constexpr int memoryLast = IDC_MEMORY_CONTENT_FIRST + memoryCount - 1;
constexpr int regretFirst = IDC_REGRET_TARGET_FIRST;
constexpr int regretLast = IDC_REGRET_MADNESS_FIRST + regretCount - 1;
constexpr std::array<int, 4> madnessBoxFirsts = {IDC_MADNESS_1_FIRST, IDC_MADNESS_2_FIRST,
                                                 IDC_MADNESS_3_FIRST, IDC_MADNESS_4_FIRST};
constexpr int placementCount = 3;
// The number shown as the maximum action value is this plus the stored bonus.
constexpr std::int64_t baseActionValue = 6;

CharacterSheet& sheet() {
    return *sheetForm.sheet;
}

// The form's controls by id, gathered as the form starts. Under Wine,
// GetDlgItem walks the form's hundred-odd windows through the server, about
// 50 microseconds a call, and a regret row's handler reads seven controls:
// opening a sheet asked for controls some five hundred times. They are let
// go with the form, so that none is asked for after its window is gone.
std::map<int, HWND> formControls;

void gatherControls(HWND form) {
    formControls.clear();
    for (HWND child = GetWindow(form, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        formControls.emplace(GetDlgCtrlID(child), child);
}

HWND control(int id) {
    const auto found = formControls.find(id);
    return found == formControls.end() ? nullptr : found->second;
}

std::string controlText(int id) {
    return readControlText(control(id));
}

// While a step is shown, a box changes only where the step changed it, as
// a keystroke changes it; opening a sheet sets every box anew.
bool showingStep = false;

void setControlText(int id, const std::string& text) {
    if (showingStep)
        showEditedText(control(id), text);
    else
        SetWindowTextA(control(id), text.c_str());
}

bool isChecked(int id) {
    return SendMessageA(control(id), BM_GETCHECK, 0, 0) != BST_UNCHECKED;
}

void setChecked(int id, bool checked) {
    SendMessageA(control(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool isMadnessBox(int id) {
    return id >= IDC_MADNESS_1_FIRST && id < IDC_REGRET_MADNESS_FIRST;
}

// ---- Set-up ----

// The texts go into the controls, whose handlers carry them into the record
// like any typing; the parts go into the record and their lists are rebuilt.
void applyNewSheetDefaults() {
    setControlText(IDC_KARMA_FIRST, firstKarmaLine);
    setControlText(IDC_REGRET_TARGET_FIRST, firstRegret.target);
    setControlText(IDC_REGRET_CONTENT_FIRST, firstRegret.content);
    setControlText(IDC_REGRET_MADNESS_FIRST, firstRegret.madnessEffect);
    for (BodyLocation location : bodyLocations) {
        sheet().setParts(location, standardParts(location));
        refreshPartList(locationText(location));
    }
}

void prepareLists() {
    for (const ListBinding& binding : listBindings) {
        HWND list = control(binding.id);
        sheetForm.*binding.list = list;
        enableCellList(list);
        addListColumns(list);
    }
    enableRowDragging();
}

void initSheetForm(HWND form) {
    sheetForm.form = form;
    gatherControls(form);
    prepareLists();
    for (const ChoiceBinding& binding : choiceBindings)
        sheetForm.*binding.combo = control(binding.id);
    sheetForm.portraitFrame = control(IDC_PORTRAIT_FRAME);
    fitPortraitsTo(sheetForm.portraitFrame);
    fillPositionCombo(sheetForm.positionCombo, positionTable);
    fillClassCombos(sheetForm.mainClassCombo, sheetForm.subClassCombo, classTable);
    applyNewSheetDefaults();
}

// ---- Write-through ----

void storeKarmaLine(int id) {
    std::vector<std::string> karma = sheet().getKarma();
    karma[static_cast<std::size_t>(id - IDC_KARMA_FIRST)] = controlText(id);
    sheet().setKarma(std::move(karma));
}

// A row handler rewrites the whole row from all of its controls, so the
// record's row is always what the row's controls show.
void storeMemoryRow(int row) {
    std::vector<MemoryFragment> memories = sheet().getMemories();
    MemoryFragment& memory = memories[static_cast<std::size_t>(row)];
    memory.title = controlText(IDC_MEMORY_TITLE_FIRST + row);
    memory.number = parseNumber(controlText(IDC_MEMORY_NUMBER_FIRST + row));
    memory.content = controlText(IDC_MEMORY_CONTENT_FIRST + row);
    sheet().setMemories(std::move(memories));
}

std::int32_t tickedMadnessBoxes(int row) {
    std::int32_t ticked = 0;
    for (int first : madnessBoxFirsts)
        ticked += isChecked(first + row) ? 1 : 0;
    return ticked;
}

void storeRegretRow(int row) {
    std::vector<Regret> regrets = sheet().getRegrets();
    Regret& regret = regrets[static_cast<std::size_t>(row)];
    regret.target = controlText(IDC_REGRET_TARGET_FIRST + row);
    regret.content = controlText(IDC_REGRET_CONTENT_FIRST + row);
    regret.madnessPoints = tickedMadnessBoxes(row);
    regret.madnessEffect = controlText(IDC_REGRET_MADNESS_FIRST + row);
    sheet().setRegrets(std::move(regrets));
}

// The sum is shown saturated: a bonus near the 32-bit limit must not
// overflow into a negative maximum.
std::int32_t maxActionValue(std::int32_t bonus) {
    const std::int64_t value = baseActionValue + bonus;
    return static_cast<std::int32_t>(std::min<std::int64_t>(value, std::numeric_limits<std::int32_t>::max()));
}

void storeMaxActionBonus() {
    sheet().setMaxActionBonus(parseNumber(controlText(IDC_MAX_ACTION_BONUS)));
    writeControlNumber(control(IDC_MAX_ACTION), maxActionValue(sheet().getMaxActionBonus()));
}

// The three placement boxes act as one radio group; clicking the ticked
// one leaves it ticked.
void choosePlacement(int id) {
    for (int i = 0; i < placementCount; ++i)
        setChecked(IDC_PLACEMENT_FIRST + i, IDC_PLACEMENT_FIRST + i == id);
    sheet().setInitialPlacement(id - IDC_PLACEMENT_FIRST);
}

bool storeTextOrNumber(int id) {
    for (const TextBinding& binding : textBindings) {
        if (binding.id == id) {
            (sheet().*binding.set)(controlText(id));
            return true;
        }
    }
    for (const NumberBinding& binding : numberBindings) {
        if (binding.id == id) {
            (sheet().*binding.set)(parseNumber(controlText(id)));
            return true;
        }
    }
    return false;
}

// Tells the history which box the changes come from while it stores them.
class TypingInto {
public:
    explicit TypingInto(int id) {
        if (sheetForm.history != nullptr)
            sheetForm.history->typeInto(id);
    }
    ~TypingInto() {
        if (sheetForm.history != nullptr)
            sheetForm.history->typeInto(0);
    }
    TypingInto(const TypingInto&) = delete;
    TypingInto& operator=(const TypingInto&) = delete;
};

void endTypingRun() {
    if (sheetForm.history != nullptr)
        sheetForm.history->endTypingRun();
}

void onEditUpdate(int id) {
    const TypingInto typing(id);
    if (storeTextOrNumber(id))
        return;
    if (id >= IDC_KARMA_FIRST && id < IDC_KARMA_FIRST + static_cast<int>(karmaCount))
        storeKarmaLine(id);
    else if (id >= memoryFirst && id <= memoryLast)
        storeMemoryRow((id - memoryFirst) % memoryCount);
    else if (id >= regretFirst && id <= regretLast && !isMadnessBox(id))
        storeRegretRow((id - regretFirst) % regretCount);
    else if (id == IDC_MAX_ACTION_BONUS)
        storeMaxActionBonus();
}

void onButtonClicked(int id) {
    if (isMadnessBox(id)) {
        const NamedStep tick("狂気点のチェック");
        storeRegretRow((id - regretFirst) % regretCount);
    } else if (id >= IDC_PLACEMENT_FIRST && id < IDC_PLACEMENT_FIRST + placementCount) {
        const NamedStep choice(memberWord(SheetMember::initialPlacement) + "の選択");
        choosePlacement(id);
    }
}

void onChoiceChanged(int id) {
    for (const ChoiceBinding& binding : choiceBindings) {
        if (binding.id != id)
            continue;
        const NamedStep choice(memberWord(binding.member) + "の選択");
        (sheet().*binding.set)(readComboText(sheetForm.*binding.combo));
    }
}

void onFormCommand(int id, int code) {
    switch (code) {
    case EN_UPDATE: onEditUpdate(id); break;
    case EN_SETFOCUS: sheetForm.focusedBox = id; break;
    case EN_KILLFOCUS:
        endTypingRun();
        if (sheetForm.focusedBox == id)
            sheetForm.focusedBox = 0;
        break;
    case BN_CLICKED: onButtonClicked(id); break;
    case CBN_SELCHANGE: onChoiceChanged(id); break;
    }
}

// ---- Refresh ----

void showMemories() {
    const std::vector<MemoryFragment> memories = sheet().getMemories();
    for (std::size_t r = 0; r < memories.size(); ++r) {
        const int row = static_cast<int>(r);
        setControlText(IDC_MEMORY_TITLE_FIRST + row, memories[r].title);
        writeControlNumber(control(IDC_MEMORY_NUMBER_FIRST + row), memories[r].number);
        setControlText(IDC_MEMORY_CONTENT_FIRST + row, memories[r].content);
    }
}

// The madness boxes raise no notification, so they go before the effect,
// whose handler then copies the complete row.
void showRegrets() {
    const std::vector<Regret> regrets = sheet().getRegrets();
    for (std::size_t r = 0; r < regrets.size(); ++r) {
        const int row = static_cast<int>(r);
        setControlText(IDC_REGRET_TARGET_FIRST + row, regrets[r].target);
        setControlText(IDC_REGRET_CONTENT_FIRST + row, regrets[r].content);
        for (std::size_t box = 0; box < madnessBoxFirsts.size(); ++box)
            setChecked(madnessBoxFirsts[box] + row,
                       static_cast<std::int32_t>(box) < regrets[r].madnessPoints);
        setControlText(IDC_REGRET_MADNESS_FIRST + row, regrets[r].madnessEffect);
    }
}

void showKarma() {
    const std::vector<std::string> karma = sheet().getKarma();
    for (std::size_t k = 0; k < karma.size(); ++k)
        setControlText(IDC_KARMA_FIRST + static_cast<int>(k), karma[k]);
}

bool isOfClass(HWND window, const char* className) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    return lstrcmpiA(name, className) == 0;
}

// Every box of the form as its template makes it: empty, unticked, nothing
// chosen. The write-through handlers copy the emptied boxes into the record.
void emptyControls() {
    for (HWND child = GetWindow(sheetForm.form, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (isOfClass(child, "Edit"))
            SetWindowTextA(child, "");
        else if (isOfClass(child, "Button"))
            SendMessageA(child, BM_SETCHECK, BST_UNCHECKED, 0);
        else if (isOfClass(child, "ComboBox"))
            SendMessageA(child, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    }
    // Emptying the bonus showed the maximum action value, which a form that
    // has just started leaves blank.
    setControlText(IDC_MAX_ACTION, "");
}

// ---- One member ----

// The members each shown in one box.
struct MemberBox {
    SheetMember member;
    int id;
};

constexpr std::array<MemberBox, 9> memberBoxes = {{
    {SheetMember::dollName, IDC_DOLL_NAME},
    {SheetMember::playerName, IDC_PLAYER_NAME},
    {SheetMember::favorPoints, IDC_FAVOR_POINTS},
    {SheetMember::ageAtDeath, IDC_AGE_AT_DEATH},
    {SheetMember::suggestion, IDC_SUGGESTION},
    {SheetMember::armament, IDC_ARMAMENT},
    {SheetMember::mutation, IDC_MUTATION},
    {SheetMember::modification, IDC_MODIFICATION},
    {SheetMember::maxActionBonus, IDC_MAX_ACTION_BONUS},
}};

template <std::size_t count>
const MemberBox* boxOf(const std::array<MemberBox, count>& boxes, SheetMember member) {
    for (const MemberBox& box : boxes) {
        if (box.member == member)
            return &box;
    }
    return nullptr;
}

const ChoiceBinding* choiceOf(SheetMember member) {
    for (const ChoiceBinding& binding : choiceBindings) {
        if (binding.member == member)
            return &binding;
    }
    return nullptr;
}

void showBox(int id, const MemberValue& value) {
    if (const auto* text = std::get_if<std::string>(&value))
        setControlText(id, *text);
    else
        writeControlNumber(control(id), std::get<std::int32_t>(value));
}

// An empty name chooses nothing: a search for it would find any name.
void showChoice(int id, const std::string& name) {
    for (const ChoiceBinding& binding : choiceBindings) {
        if (binding.id != id)
            continue;
        if (name.empty())
            SendMessageA(sheetForm.*binding.combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        else
            reselectChoice(sheetForm.*binding.combo, name);
    }
}

void showPlacement() {
    for (int i = 0; i < placementCount; ++i)
        setChecked(IDC_PLACEMENT_FIRST + i, i == sheet().getInitialPlacement());
}

void showPartList(SheetMember member) {
    for (BodyLocation location : bodyLocations) {
        if (member == partsMemberOf(location))
            refreshPartList(locationText(location));
    }
}

void showMember(SheetMember member) {
    if (const MemberBox* box = boxOf(memberBoxes, member))
        return showBox(box->id, sheet().getMember(member));
    if (const ChoiceBinding* choice = choiceOf(member))
        return showChoice(choice->id, std::get<std::string>(sheet().getMember(member)));
    switch (member) {
    case SheetMember::portraitPath: InvalidateRect(sheetForm.form, nullptr, TRUE); break;
    case SheetMember::karma: showKarma(); break;
    case SheetMember::memories: showMemories(); break;
    case SheetMember::skills: refreshSkillList(); break;
    case SheetMember::regrets: showRegrets(); break;
    case SheetMember::initialPlacement: showPlacement(); break;
    default: showPartList(member); break;
    }
}

// The first row where two lists of rows differ, and the control of that
// row's first differing field.
template <class Row, class FieldControl>
int firstDifferingControl(const std::vector<Row>& shown, const std::vector<Row>& other,
                          FieldControl control) {
    for (std::size_t r = 0; r < shown.size() && r < other.size(); ++r) {
        if (!(shown[r] == other[r]))
            return control(shown[r], other[r], static_cast<int>(r));
    }
    return 0;
}

int differingMemoryBox(const MemoryFragment& shown, const MemoryFragment& other, int row) {
    if (shown.title != other.title)
        return IDC_MEMORY_TITLE_FIRST + row;
    return shown.number != other.number ? IDC_MEMORY_NUMBER_FIRST + row : IDC_MEMORY_CONTENT_FIRST + row;
}

int differingRegretBox(const Regret& shown, const Regret& other, int row) {
    if (shown.target != other.target)
        return IDC_REGRET_TARGET_FIRST + row;
    if (shown.content != other.content)
        return IDC_REGRET_CONTENT_FIRST + row;
    if (shown.madnessPoints != other.madnessPoints)
        return madnessBoxFirsts[static_cast<std::size_t>(
                   std::clamp(std::max(shown.madnessPoints, other.madnessPoints) - 1, 0, 3))] +
               row;
    return IDC_REGRET_MADNESS_FIRST + row;
}

// The rows of `shown` that are not where they were in `other`: between the
// parts both lists begin and end with.
template <class Entry>
std::vector<int> differingRows(const std::vector<Entry>& shown, const std::vector<Entry>& other) {
    std::size_t first = 0;
    while (first < shown.size() && first < other.size() && shown[first] == other[first])
        ++first;
    std::size_t last = shown.size();
    for (std::size_t o = other.size(); last > first && o > first && shown[last - 1] == other[o - 1]; --o)
        --last;
    std::vector<int> rows;
    for (std::size_t row = first; row < last; ++row)
        rows.push_back(static_cast<int>(row));
    return rows;
}

// The list is shown rebuilt with the rows that changed selected, then
// takes the focus.
template <class Entry> void showChangedRows(HWND list, const MemberValue& shown, const MemberValue& other) {
    refreshSelecting(list,
                     differingRows(std::get<std::vector<Entry>>(shown), std::get<std::vector<Entry>>(other)));
    SetFocus(list);
}

HWND partListOf(SheetMember member) {
    for (BodyLocation location : bodyLocations) {
        if (member == partsMemberOf(location))
            return listOfLocation(location);
    }
    return nullptr;
}

int differingControl(SheetMember member, const MemberValue& shown, const MemberValue& other) {
    if (const MemberBox* box = boxOf(memberBoxes, member))
        return box->id;
    if (const ChoiceBinding* choice = choiceOf(member))
        return choice->id;
    switch (member) {
    case SheetMember::karma:
        return IDC_KARMA_FIRST + firstDifferingControl(std::get<std::vector<std::string>>(shown),
                                                       std::get<std::vector<std::string>>(other),
                                                       [](const auto&, const auto&, int row) { return row; });
    case SheetMember::memories:
        return firstDifferingControl(std::get<std::vector<MemoryFragment>>(shown),
                                     std::get<std::vector<MemoryFragment>>(other), differingMemoryBox);
    case SheetMember::regrets:
        return firstDifferingControl(std::get<std::vector<Regret>>(shown),
                                     std::get<std::vector<Regret>>(other), differingRegretBox);
    case SheetMember::initialPlacement: {
        // The button ticked, or the one the step unticked.
        const std::int32_t placement = std::get<std::int32_t>(shown) >= 0 ? std::get<std::int32_t>(shown)
                                                                          : std::get<std::int32_t>(other);
        return IDC_PLACEMENT_FIRST + std::clamp(placement, 0, placementCount - 1);
    }
    default: return 0;
    }
}

void focusDifference(SheetMember member, const MemberValue& shown, const MemberValue& other) {
    if (const int id = differingControl(member, shown, other); id != 0 && id != sheetForm.focusedBox)
        SetFocus(control(id));
}

} // namespace

HWND createSheetForm(HINSTANCE instance, HWND parent, CharacterSheet& boundSheet) {
    sheetForm.instance = instance;
    sheetForm.sheet = &boundSheet;
    return CreateDialogParamA(instance, "MAINDLG", parent, sheetFormProc, 0);
}

INT_PTR CALLBACK sheetFormProc(HWND form, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: initSheetForm(form); break;
    case WM_NCDESTROY:
        formControls.clear();
        sheetForm.focusedBox = 0;
        break;
    case WM_COMMAND: onFormCommand(LOWORD(wParam), HIWORD(wParam)); break;
    case WM_NOTIFY:
        if (!onListNotify(*reinterpret_cast<const NMHDR*>(lParam)))
            break;
        SetWindowLongPtrA(form, DWLP_MSGRESULT, TRUE);
        return TRUE;
    case WM_DRAWITEM: drawCellRow(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); break;
    // Passed on, the message would reach the main window as the form's own.
    case WM_CONTEXTMENU: showListMenu(reinterpret_cast<HWND>(wParam), lParam); return TRUE;
    // Painted, the form is valid: the dialog's own paint would only ask again.
    case WM_PAINT: return paintPortrait(form, sheetForm.portraitFrame, sheet());
    case WM_LBUTTONDBLCLK:
        handlePortraitDoubleClick(form, sheetForm.portraitFrame, sheet(), lParam,
                                  sheetForm.choosePortraitFile);
        break;
    }
    return 0;
}

void refreshSheetForm() {
    for (int member = 0; member <= static_cast<int>(SheetMember::legParts); ++member)
        showMember(static_cast<SheetMember>(member));
}

void showChangedMember(SheetMember member, const MemberValue& other) {
    const MemberValue shown = sheet().getMember(member);
    if (member == SheetMember::skills)
        return showChangedRows<SkillEntry>(sheetForm.skillList, shown, other);
    if (HWND list = partListOf(member))
        return showChangedRows<PartEntry>(list, shown, other);
    showingStep = true;
    showMember(member);
    showingStep = false;
    focusDifference(member, shown, other);
}

// The record is cleared after the controls, so that nothing the handlers
// copied from a half-emptied row stays in it.
void showNewSheet() {
    emptyControls();
    sheet().clear();
    refreshSkillList();
    applyNewSheetDefaults();
    InvalidateRect(sheetForm.form, nullptr, TRUE);
}

void showPortraitFile(const std::string& path) {
    showChosenPortrait(sheetForm.form, sheetForm.portraitFrame, sheet(), path);
}
