#pragma once
// The one place where a test puts the shared state back to what a process starts with. Every
// fixture that touches the shared state holds a scope for the whole test:
//
//   SharedStateScope state;                       // buffers allocated, as a dialog's start does
//   ScopedOverride<int> transport(g_nTransport, TRANSPORT_PASS_THROUGH);   // one case's change
//
// The ASPI library and its entry points stay as they are: a process loads the layer once.

#include <utility>

enum class TransferBuffers { Allocated, None };

class SharedStateScope {
public:
    // Every global at its starting value; with TransferBuffers::Allocated the buffers are then
    // allocated and ResetSharedState has run, as at the start of a dialog.
    explicit SharedStateScope(TransferBuffers buffers = TransferBuffers::Allocated);
    // Closes an open device, frees the buffers and sets every global back to its starting value.
    ~SharedStateScope();
    SharedStateScope(const SharedStateScope&) = delete;
    SharedStateScope& operator=(const SharedStateScope&) = delete;
};

// Sets a global for as long as the object lives and restores the value it had before.
template <class T> class ScopedOverride {
public:
    ScopedOverride(T& variable, T value) : m_variable(variable), m_saved(std::move(variable)) {
        m_variable = std::move(value);
    }
    ~ScopedOverride() { m_variable = std::move(m_saved); }
    ScopedOverride(const ScopedOverride&) = delete;
    ScopedOverride& operator=(const ScopedOverride&) = delete;

private:
    T& m_variable;
    T m_saved;
};
