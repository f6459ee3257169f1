#pragma once

#include <gsf/gsf-input.h>

// libgsf set up once per process, its log quietened: we report damage as error codes, so its
// messages would only be noise on the user's terminal.
void initialiseGsf();

// Owns one reference of a GObject.
template <typename T>
struct GObjectRef {
    T* object = nullptr;
    explicit GObjectRef(T* o = nullptr) : object(o) {}
    GObjectRef(const GObjectRef&) = delete;
    GObjectRef& operator=(const GObjectRef&) = delete;
    GObjectRef(GObjectRef&& other) noexcept : object(other.object) { other.object = nullptr; }
    GObjectRef& operator=(GObjectRef&& other) noexcept {
        if (this != &other) {
            reset();
            object = other.object;
            other.object = nullptr;
        }
        return *this;
    }
    ~GObjectRef() { reset(); }
    void reset() {
        if (object) g_object_unref(object);
        object = nullptr;
    }
    explicit operator bool() const { return object != nullptr; }
};
