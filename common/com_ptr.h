// Owners for COM interface pointers and BSTRs: released on every path, never copied.
#pragma once

#include <windows.h>
#include <oleauto.h>

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr &) = delete;
    ComPtr &operator=(const ComPtr &) = delete;

    T *operator->() const { return pointer_; }
    T *Get() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

    // For out-parameters: releases what is held and hands out the slot.
    T **Out()
    {
        Reset();
        return &pointer_;
    }
    void Reset()
    {
        if (pointer_)
            pointer_->Release();
        pointer_ = nullptr;
    }

private:
    T *pointer_ = nullptr;
};

class Bstr {
public:
    Bstr() = default;
    ~Bstr() { SysFreeString(text_); }
    Bstr(const Bstr &) = delete;
    Bstr &operator=(const Bstr &) = delete;

    BSTR Get() const { return text_; }
    BSTR *Out()
    {
        SysFreeString(text_);
        text_ = nullptr;
        return &text_;
    }
    // The text, or an empty text for a null BSTR.
    const wchar_t *Text() const { return text_ ? text_ : L""; }

private:
    BSTR text_ = nullptr;
};

// Initialises COM on the calling thread (single-threaded apartment) and uninitialises it at the
// end only when the initialisation succeeded.
class ComApartment {
public:
    ComApartment() : initialised_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComApartment()
    {
        if (initialised_)
            CoUninitialize();
    }
    ComApartment(const ComApartment &) = delete;
    ComApartment &operator=(const ComApartment &) = delete;
    bool Initialised() const { return initialised_; }

private:
    bool initialised_;
};
