#pragma once
// String resources as the program's 8-bit text. The string block is read directly
// (FindResource/LoadResource), which works on every Windows, also on Windows 9x where the wide
// resource functions are stubs; the resource loader picks the language of the block.

#include <windows.h>
#include <string>

// Number of strings in one RT_STRING block; string id lives in block id / 16 + 1.
constexpr UINT STRINGS_PER_BLOCK = 16;

// Finds entry `index` (0..15) of a string block: each entry is a WORD length followed by that
// many UTF-16 units. Returns false when the block ends before the entry or the entry is empty.
bool FindStringInBlock(const void* block, DWORD blockBytes, UINT index, std::wstring* text);

// UTF-16 text of string `id` of `module` in the language the resource loader chooses; false when
// the string does not exist or is empty.
bool ReadStringResource(HINSTANCE module, UINT id, std::wstring* text);

// Code page in which resource text becomes 8-bit text: on the NT family from version 5 on the
// thread's current ANSI code page; on earlier Windows the default ANSI code page of the thread
// locale, or the system's ANSI code page when the locale names none.
UINT ResourceTextCodePage(const OSVERSIONINFOA& version, LCID threadLocale);
UINT ResourceTextCodePage();

// UTF-16 text as 8-bit text of codePage (characters the code page lacks become its default).
std::string ToResourceCodePage(const std::wstring& text, UINT codePage);
