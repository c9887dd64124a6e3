// The program list's rules: which rows a folder gives, and how a row's manifest follows its mark.
#pragma once

#include "platform/ListCtrl.h"
#include "platform/String.h"

// The list's state images in check-box mode.
constexpr UINT kUncheckedImage = 1;
constexpr UINT kCheckedImage = 2;

BOOL IsRowChecked(const CListCtrl& list, int row);
void SetRowCheck(CListCtrl& list, int row, BOOL bChecked);

// Replaces the rows with one per "*.EXE" entry of the folder, in the order the search gives
// them: name, size in KB and a check mark where the manifest is present. Returns the row count.
int ListProgramRows(CListCtrl& list, const CString& folder);

// Makes the row's manifest follow bOn, then shows in the row's mark what the disk now holds.
void SwitchProgram(CListCtrl& list, const CString& folder, int row, BOOL bOn);
// The same for every row, first to last.
void SwitchAllPrograms(CListCtrl& list, const CString& folder, BOOL bOn);

// The row whose check mark a change notification reports as toggled, with the new mark in
// *pbChecked; -1 when the change is something else (selection, focus, a box appearing).
int ToggledRow(const NMLISTVIEW& change, BOOL* pbChecked);

// The row under the position of the message being handled, or -1.
int RowAtMessagePos(const CListCtrl& list);

// Hands the row's program to the shell to start; the outcome is not examined.
void RunProgram(HWND hOwner, const CListCtrl& list, const CString& folder, int row);
