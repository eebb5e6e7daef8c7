// A private HKEY_CURRENT_USER for one test.
#include "tests/support/registry_sandbox.h"

#include <stdio.h>

static const wchar_t kSandboxes[] = L"Software\\LingotroveTestSandbox";

RegistrySandbox::RegistrySandbox()
{
    static unsigned counter = 0;
    _snwprintf(name, 64, L"%ls\\%lu-%u", kSandboxes, GetCurrentProcessId(), ++counter);
    RegDeleteTreeW(HKEY_CURRENT_USER, name);
    RegCreateKeyExW(HKEY_CURRENT_USER, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root, nullptr);
    RegOverridePredefKey(HKEY_CURRENT_USER, root);
}

RegistrySandbox::~RegistrySandbox()
{
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(root);
    RegDeleteTreeW(HKEY_CURRENT_USER, name);
}
