// Holding a key down for the test thread, as the program reads it with GetKeyState.
#pragma once

#include <windows.h>

// Holds key (Ctrl by default) down while it lives.
struct KeyDown {
    explicit KeyDown(int key = VK_CONTROL) : key_(key) { Set(0x80); }
    ~KeyDown() { Set(0); }
    KeyDown(const KeyDown &) = delete;
    KeyDown &operator=(const KeyDown &) = delete;

private:
    void Set(BYTE state)
    {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[key_] = state;
        SetKeyboardState(keys);
    }
    int key_;
};
