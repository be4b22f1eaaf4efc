#pragma once
// The frame instance registry: one CPluginInstance per host frame window, found by the frame's
// window handle. Instances are made and deleted only by OnEvents.
#include <windows.h>
#include <cstdint>
#include <map>
#include "CustomBar.h"
#include "textio/UniqueHandle.h"

class CIniFile;
extern CIniFile g_iniFile;  // the module's one settings store

struct CPluginInstance {
    explicit CPluginInstance(CIniFile* pIniFile) : m_pIniFile(pIniFile) {}

    CIniFile* m_pIniFile;      // always &g_iniFile
    int32_t m_nBarId = -1;     // the editor's id of the open panel; negative while it is closed
    CCustomBar m_wndBar;       // the panel's window object, serving each panel window in turn
};

// Frame windows ordered as unsigned pointer-sized numbers.
struct FrameHandleLess {
    bool operator()(HWND a, HWND b) const noexcept {
        return reinterpret_cast<uintptr_t>(a) < reinterpret_cast<uintptr_t>(b);
    }
};
using InstanceMap = std::map<HWND, CPluginInstance*, FrameHandleLess>;

extern InstanceMap g_mapInstances;   // owns its entries, not the instances
extern UniqueMutex g_hInstanceMutex; // guards g_mapInstances and nothing else

// The frame's instance, or null when OnEvents has not registered the frame.
CPluginInstance* LookupInstance(HWND hWndFrame) noexcept;

// At unload: deletes the instances of frames that never reported their closing, so that no bar
// window outlives the module's code.
void DestroyAllInstances() noexcept;
