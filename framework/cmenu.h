#pragma once
// A menu of a window (so far the system menu), by handle; the menu belongs to its window.

#include <windows.h>

#include "framework/runtime_class.h"

class CMenu : public CObject {
public:
    HMENU m_hMenu = nullptr;

    HMENU GetSafeHmenu() const { return m_hMenu; }
    BOOL AppendMenu(UINT flags, UINT_PTR idNewItem = 0, LPCSTR newItem = nullptr) {
        return ::AppendMenuA(m_hMenu, flags, idNewItem, newItem);
    }
    UINT EnableMenuItem(UINT idItem, UINT enable) {
        return ::EnableMenuItem(m_hMenu, idItem, enable);
    }
    UINT GetMenuState(UINT id, UINT flags) const { return ::GetMenuState(m_hMenu, id, flags); }
    int GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }
};
