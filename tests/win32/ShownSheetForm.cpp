#include "ShownSheetForm.h"

#include "WindowTesting.h"

#include "editor/CellList.h"
#include "editor/SheetForm.h"

ShownSheetForm::ShownSheetForm(CharacterSheet& sheet)
    : host(createHostWindow(1100, 900)), formWindow(createSheetForm(GetModuleHandleA(nullptr), host, sheet)) {
    ShowWindow(formWindow, SW_SHOW);
    pumpMessages();
}

ShownSheetForm::~ShownSheetForm() {
    DestroyWindow(host);
    pumpMessages();
}
