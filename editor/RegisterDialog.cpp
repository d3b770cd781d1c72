#include "editor/RegisterDialog.h"

#include "editor/ControlText.h"
#include "refdata/CatalogueWrite.h"
#include "res/resource.h"
#include "sheet/FileSystem.h"

#include <windowsx.h>

namespace {

// What one opening registers, and the file as it was when the dialog
// opened, from which the line tells what will happen; registering reads
// it again.
struct RegisterDialog {
    const std::vector<PartEntry>& entries;
    std::string path;
    std::string startHeading;
    CatalogueFile file;
    bool registered = false;
};

// A file not there yet is an empty one, made on registering.
CatalogueFile fileAsItIs(const std::string& path) {
    CatalogueFile file = readCatalogueFile(path);
    if (file.problem == CatalogueProblem::missing && lookAtFile(path).kind == FileLook::Kind::none)
        file.problem = CatalogueProblem::none;
    return file;
}

HWND headingBox(HWND dialog) {
    return GetDlgItem(dialog, IDC_REGISTER_HEADING);
}

// A pick in the list tells of itself before the box shows it.
std::string chosenHeading(HWND dialog, int notification) {
    HWND box = headingBox(dialog);
    const int picked = ComboBox_GetCurSel(box);
    if (notification != CBN_SELCHANGE || picked < 0)
        return readControlText(box);
    std::string heading(static_cast<std::size_t>(ComboBox_GetLBTextLen(box, picked)), '\0');
    ComboBox_GetLBText(box, picked, heading.data());
    return heading;
}

// The line says what 登録 would do; 登録 stays on for a file it cannot
// write, so that the message box says why.
void describe(HWND dialog, const RegisterDialog& state, const std::string& heading) {
    CatalogueRegistration plan;
    if (state.file.problem == CatalogueProblem::none)
        plan = registerEntries(state.file.bytes, state.entries, heading);
    else
        plan.problem = state.file.problem;
    SetDlgItemTextA(dialog, IDC_REGISTER_SUMMARY, registrationSummary(plan, state.path).c_str());
    EnableWindow(GetDlgItem(dialog, IDOK),
                 plan.problem != CatalogueProblem::none || !plan.registered.empty());
}

void initRegisterDialog(HWND dialog, RegisterDialog& state) {
    state.file = fileAsItIs(state.path);
    HWND box = headingBox(dialog);
    for (const std::string& group : readCatalogueText(state.file.bytes).groups)
        ComboBox_AddString(box, group.c_str());
    SetWindowTextA(box, state.startHeading.c_str());
    describe(dialog, state, state.startHeading);
}

void registerEntriesOf(HWND dialog, RegisterDialog& state) {
    const CatalogueRegistration done =
        registerInCatalogue(state.path, state.entries, readControlText(headingBox(dialog)));
    if (done.problem != CatalogueProblem::none) {
        const std::string message = state.path + "\n" + catalogueProblemText(done.problem);
        MessageBoxA(dialog, message.c_str(), "カタログに登録", MB_OK | MB_ICONWARNING);
    }
    state.registered = done.problem == CatalogueProblem::none && !done.registered.empty();
    EndDialog(dialog, state.registered ? IDOK : IDCANCEL);
}

void onRegisterCommand(HWND dialog, int id, int notification, RegisterDialog& state) {
    if (id == IDC_REGISTER_HEADING && (notification == CBN_EDITCHANGE || notification == CBN_SELCHANGE))
        describe(dialog, state, chosenHeading(dialog, notification));
    else if (id == IDOK)
        registerEntriesOf(dialog, state);
    else if (id == IDCANCEL)
        EndDialog(dialog, IDCANCEL);
}

INT_PTR CALLBACK registerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG)
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    auto* state = reinterpret_cast<RegisterDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (state == nullptr)
        return FALSE;
    switch (message) {
    case WM_INITDIALOG: initRegisterDialog(dialog, *state); return TRUE;
    case WM_COMMAND: onRegisterCommand(dialog, LOWORD(wParam), HIWORD(wParam), *state); break;
    }
    return FALSE;
}

} // namespace

bool registerInCatalogueFile(HWND owner, CatalogueKind kind, const std::vector<PartEntry>& entries,
                             const std::string& heading) {
    RegisterDialog state{entries, cataloguePath(kind), heading, {}};
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE));
    DialogBoxParamA(instance, "REGISTERDLG", owner, registerDialogProc, reinterpret_cast<LPARAM>(&state));
    return state.registered;
}
