#pragma once
// Script commands that look at and use the tree of a frame's newest docked bar as a person would:
// its items in the check tool's --outline format, and real mouse and keyboard input.
#include <string>
#include "Host.h"

// dump-tree N: a TreeItem record per item in tree order, then TreeDump with the totals.
void LogTreeItems(Frame& frame);
// click-item N INDEX PART COUNT: COUNT (1 or 2) left clicks through SendInput on the item of that
// index in tree order, at PART: label, right (beyond the label), button or indent. Logs Click with
// the point and what the tree's hit test says about it before clicking.
void ClickTreeItem(Frame& frame, long long index, const std::wstring& part, long long count);
// key VK: one key press and release through SendInput, to whatever has the focus.
void PressKey(long long virtualKey);
