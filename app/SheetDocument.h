#pragma once

// The sheet shown as a document: the file it stands for, the history of its
// changes and whether it holds edits that are not in that file. Every change
// reaches it from the record's setters; the main window and the ways in
// call it, and it shows the sheet's state in the main window's title.

#include "sheet/SheetHistory.h"

#include <windows.h>

#include <string>

// The sheet file last opened or saved under a new name; empty until then.
extern std::string currentSheetPath;

// Follows the record's changes from here on, naming the sheet in the title
// of `mainWindow`; the sheet shown matches no file and has no history yet.
void startDocument(HWND mainWindow);
// Where the form tells of typing and of the focus leaving a box.
SheetHistory& documentHistory();

// Whether the history stands elsewhere than where the last save, open or
// new sheet left it.
bool hasUnsavedEdits();
// Names the sheet and whether it holds unsaved edits in the title.
void showSheetTitle();

// "上書き保存": a file that another program changed since the window read
// or wrote it, or whose change the window did not take, is written over
// only when the user says so; No saves under a new name instead.
bool saveToSheetFile();
bool saveUnderNewName();
// The window became the active one again: unless that came of a question
// about its file closing, the file is looked at once the activation is done
// and a question can take the focus, by this message posted to the window.
inline constexpr UINT checkSheetFileMessage = WM_APP + 1;
void onWindowActive(HWND window);
// When another program has changed the sheet's file since, offers to read
// the file again, warning of the window's unsaved edits. Kept, the sheet is
// not asked about again until the file changes once more. A file gone asks
// nothing.
void checkSheetFile(HWND window);
// The one question before the sheet on screen goes, closed or replaced by
// another: answers whether it may go. Nothing is asked when it holds no
// unsaved edits; Yes saves it as Ctrl+S does, and it may go only once saved.
bool maySheetGo(HWND window);

// "開く": the question, then the open dialog.
void openChosenSheet(HWND window);
// Opens the sheet at `path` in place of the one shown, as "開く" does once
// its dialog is answered, after the question about unsaved edits: kept when
// the sheet shown may not go, refused when the file is no sheet to open.
enum class OpenOutcome { opened, kept, refused };
OpenOutcome openSheetInPlace(HWND window, const std::string& path);
// "新規作成": the question, then the sheet the program starts with.
void startNewSheet(HWND window);

// The recovery copy of the sheet while it holds unsaved edits: written by
// the main window's timer, at most once a second and only when a change
// came since; gone once the sheet holds no unsaved edits, and when the
// program ends normally.
void writeRecoveryCopy();
void endDocument();
// At start, before anything else is opened: offers back, newest first, the
// copies of windows no longer running. The first accepted shows here when
// `hereFirst`; every other in a window of its own.
void offerRecoveryCopies(HWND window, bool hereFirst);
// The program started for the copy named so shows it.
void showRecoveryCopy(HWND window, const std::wstring& name);
// Starts the program for a copy; tests put their own in its place.
extern bool (*recoverInOwnWindow)(const std::wstring& copyName);

// "以前の版": the version the player chooses goes into the window as one
// edit of its sheet, "以前の版を開く"; the file stays as it is until saved.
void openEarlierVersion(HWND window);

// Puts the sheet back as it was before the last step, or does the step
// undone last again; the form shows what changed.
void undoStep();
void redoStep();
