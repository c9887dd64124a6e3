// Message map lookup shared by windows and the application object.
#include "platform/MessageMap.h"

const MessageMap* CCmdTarget::GetThisMessageMap()
{
    static const MessageMapEntry entries[] = { { 0, 0, 0, nullptr } };
    static const MessageMap map = { nullptr, entries };
    return &map;
}

BOOL CCmdTarget::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    UINT code = 0;
    UINT id = 0;
    if (message == WM_COMMAND) {
        code = HIWORD(wParam);
        id = LOWORD(wParam);
    } else if (message == WM_NOTIFY || message == WM_REFLECTED_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        code = header->code;
        id = message == WM_NOTIFY ? static_cast<UINT>(header->idFrom) : 0;
    }

    for (const MessageMap* map = GetMessageMap(); map; map = map->base ? map->base() : nullptr) {
        for (const MessageMapEntry* entry = map->entries; entry->handler; ++entry) {
            if (entry->message == message && entry->code == code && entry->id == id)
                return entry->handler(this, wParam, lParam, result);
        }
    }
    return FALSE;
}
