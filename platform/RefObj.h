#pragma once
// Intrusive reference counting with strong (AutoRef) and weak (WeakRef)
// references. Counting is single-threaded: an object is only ever counted on
// the thread that owns it.

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace halvo {

class RefObj;

// Shared by every weak reference to one object. Outlives the object until the
// last weak reference lets go, so a weak read after death sees null.
struct WeakRefBlock {
    uint32_t weakCount = 0;
    RefObj* object = nullptr;
};

class RefObj {
public:
    RefObj() = default;
    // A copy is a new object: it starts unowned and unobserved.
    RefObj(const RefObj&) {}
    RefObj& operator=(const RefObj&) { return *this; }
    virtual ~RefObj();

    void AddRef() { ++refCount_; }
    // Nothing guards against a negative count: an object released without
    // ever being held is destroyed all the same.
    void Release() {
        if (--refCount_ < 1) delete this;
    }
    int32_t GetRefCount() const { return refCount_; }

    // The object's weak block, created on first use.
    WeakRefBlock* AcquireWeakBlock();
    WeakRefBlock* PeekWeakBlock() const { return weakBlock_; }

private:
    friend void ReleaseWeakBlock(WeakRefBlock* block);
    int32_t refCount_ = 0;
    WeakRefBlock* weakBlock_ = nullptr;
};

// Drops one weak count; frees the block at zero, detaching it from a living
// object first so that the next weak reference makes a fresh block.
void ReleaseWeakBlock(WeakRefBlock* block);

template <class T>
class AutoRef {
public:
    AutoRef() = default;
    AutoRef(T* object) : object_(object) { Acquire(); }
    AutoRef(const AutoRef& other) : object_(other.object_) { Acquire(); }
    AutoRef(AutoRef&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    template <class U>
    AutoRef(const AutoRef<U>& other) : object_(other.Get()) { Acquire(); }
    ~AutoRef() { Reset(); }

    AutoRef& operator=(T* object) {
        if (object == object_) return *this;
        // Take the new reference before letting go of the old one: the old
        // object may be the new one's only owner.
        if (object) object->AddRef();
        T* old = std::exchange(object_, object);
        if (old) old->Release();
        return *this;
    }
    AutoRef& operator=(const AutoRef& other) { return *this = other.object_; }
    AutoRef& operator=(AutoRef&& other) noexcept {
        if (this != &other) {
            T* old = std::exchange(object_, std::exchange(other.object_, nullptr));
            if (old) old->Release();
        }
        return *this;
    }

    // Releases the held object and empties the slot, so that a second
    // release of the same slot is harmless.
    void Reset() {
        if (T* old = std::exchange(object_, nullptr)) old->Release();
    }

    T* Get() const { return object_; }
    T* operator->() const { return object_; }
    T& operator*() const { return *object_; }
    explicit operator bool() const { return object_ != nullptr; }
    bool operator==(const AutoRef& other) const { return object_ == other.object_; }
    bool operator==(const T* other) const { return object_ == other; }

private:
    void Acquire() {
        if (object_) object_->AddRef();
    }
    T* object_ = nullptr;
};

template <class T>
class WeakRef {
public:
    WeakRef() = default;
    WeakRef(T* object) { Attach(object); }
    WeakRef(const WeakRef& other) : block_(other.block_) {
        if (block_) ++block_->weakCount;
    }
    WeakRef(WeakRef&& other) noexcept : block_(std::exchange(other.block_, nullptr)) {}
    ~WeakRef() { Detach(); }

    WeakRef& operator=(const WeakRef& other) {
        if (block_ != other.block_) {
            Detach();
            block_ = other.block_;
            if (block_) ++block_->weakCount;
        }
        return *this;
    }
    WeakRef& operator=(WeakRef&& other) noexcept {
        if (this != &other) {
            Detach();
            block_ = std::exchange(other.block_, nullptr);
        }
        return *this;
    }
    WeakRef& operator=(T* object) {
        Assign(object);
        return *this;
    }

    void Assign(T* object) {
        if (block_ && block_->object == object && object) return;
        if (!block_ && !object) return;
        Detach();
        Attach(object);
    }
    void Reset() { Detach(); }

    // Null once the object has died. Never changes a count.
    T* Get() const { return block_ ? static_cast<T*>(block_->object) : nullptr; }
    T* operator->() const { return Get(); }
    explicit operator bool() const { return Get() != nullptr; }

    static bool Equals(const WeakRef& a, const WeakRef& b) { return a.Get() == b.Get(); }

private:
    void Attach(T* object) {
        if (!object) return;
        block_ = object->AcquireWeakBlock();
        ++block_->weakCount;
    }
    void Detach() {
        if (WeakRefBlock* block = std::exchange(block_, nullptr)) ReleaseWeakBlock(block);
    }
    WeakRefBlock* block_ = nullptr;
};

// Assigns source[i] to target[i] for i below count, each by AutoRef's
// assignment: the new object gains its reference before the old one is let
// go, so an element that is its successor's only owner survives.
template <class T, class U>
void RefPtrRangeAssign(AutoRef<T>* target, const AutoRef<U>* source, size_t count) {
    for (size_t i = 0; i < count; ++i) target[i] = source[i].Get();
}

// A growable array of strong references whose Clear releases the elements
// from first to last and gives its storage back.
template <class T>
class AutoRefVector : public std::vector<AutoRef<T>> {
public:
    void Clear() {
        for (AutoRef<T>& ref : *this) ref.Reset();
        this->clear();
        this->shrink_to_fit();
    }
};

}  // namespace halvo
