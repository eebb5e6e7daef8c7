// Gives a test process its own HKEY_CURRENT_USER: a fresh key under the real one that the
// process sees in its place, deleted again at the end. Tests running side by side never see
// each other's settings.
#pragma once

#include <windows.h>

struct RegistrySandbox {
    HKEY root = nullptr;
    wchar_t name[64] = {};

    RegistrySandbox();
    ~RegistrySandbox();
    RegistrySandbox(const RegistrySandbox &) = delete;
    RegistrySandbox &operator=(const RegistrySandbox &) = delete;
};
