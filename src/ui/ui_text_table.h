#pragma once
// Storage of the text table, shared by ui_text.cpp and ui_text_table.cpp only.
#include "ui/ui_text.h"

struct UiTextCell {
  UiTextKey key;
  const char* text;  // UTF-8
};

// One array per column, in column order. Each lists all 77 keys once and in key order
// (checked at compile time), so element k is the text of key k.
extern const UiTextCell* const kUiTextColumns[kUiLanguageCount];
