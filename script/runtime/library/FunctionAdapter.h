#pragma once
// What a bind value holds: the adapter of one native function, and the
// argument record the interpreter hands it. Adapters live as long as the
// program; a bind value adds a reference and never releases it.
//
// A native function is bound through function_adapter_of<Signature>, which
// converts each script argument to the native parameter type, calls the
// function and wraps its result:
//     vm.AddCFunction("strlen", detail::AdapterFor<&StrLen>());

#include "platform/RefObj.h"
#include "script/runtime/library/ArgumentConversion.h"
#include "script/runtime/values/Var.h"
#include "script/runtime/values/VarArray.h"
#include "script/runtime/values/VarExtension.h"

#include <cstddef>
#include <cstdint>
#include <tuple>
#include <type_traits>
#include <utility>

namespace Vrel {

class Thread;
class VarExtension;

// The arguments of one native call. thread may be null for calls that no
// script thread makes; args holds the argument array.
struct t_Interface {
    Thread* thread = nullptr;
    int32_t count = 0;
    Var* args = nullptr;

    // Argument index with one reference followed and a declaration made an
    // empty value of its type; null when there is no such argument.
    Var* GetArg(int index) const {
        if (!args || index < 0 || index >= count) return nullptr;
        Var* element = ElementAt(index);
        if (!element) return nullptr;
        if (Var* target = element->GetReferenced()) element = target;
        if (element->GetTag() == kTagDeclaration) InitDeclaration(*element);
        return element;
    }

private:
    Var* ElementAt(int index) const {
        // The interpreter hands over a plain array: its element is read
        // without a virtual call.
        if (args->GetTag() == kTagObject) {
            VarExtension* object = args->GetObject();
            if (object && object->GetClassInfo() == &VarArray::kClassRecord)
                return static_cast<VarArray*>(object)->VarArray::GetAt(index);
        }
        return args->GetElement(index);
    }
    static void InitDeclaration(Var& element);
};

}  // namespace Vrel

namespace Vrel::detail {

class function_adapter : public halvo::RefObj {
public:
    ~function_adapter() override = default;
    // Converts the arguments, calls the native function and stores the
    // wrapped result into result, which arrives empty. Answers result.
    virtual Var* Call(Var* result, t_Interface& args) = 0;
};

using function_adapter_base = function_adapter;

// ---- parameters -------------------------------------------------------------

// How one native parameter type is fetched from the call. Stored is what is
// kept between conversion and the call.
template <class T, class = void>
struct Param;

template <>
struct Param<t_Interface&> {
    using Stored = t_Interface*;
    static Stored Fetch(t_Interface& call, int) { return &call; }
    static t_Interface& Pass(Stored stored) { return *stored; }
};

template <>
struct Param<Var*> {
    using Stored = Var*;
    static Stored Fetch(t_Interface& call, int index) { return ArgToVar(call.GetArg(index), index, call.thread); }
    static Var* Pass(Stored stored) { return stored; }
};

template <>
struct Param<const char*> {
    using Stored = const char*;
    static Stored Fetch(t_Interface& call, int index) { return ArgToText(call.GetArg(index), index, call.thread); }
    static const char* Pass(Stored stored) { return stored; }
};

template <>
struct Param<int> {
    using Stored = int;
    static Stored Fetch(t_Interface& call, int index) { return ArgToInt(call.GetArg(index), index, call.thread); }
    static int Pass(Stored stored) { return stored; }
};

template <>
struct Param<float> {
    using Stored = float;
    static Stored Fetch(t_Interface& call, int index) {
        return ArgToFloat(call.GetArg(index), index, call.thread);
    }
    static float Pass(Stored stored) { return stored; }
};

template <>
struct Param<bool> {
    using Stored = bool;
    static Stored Fetch(t_Interface& call, int index) { return ArgToBool(call.GetArg(index), index, call.thread); }
    static bool Pass(Stored stored) { return stored; }
};

// Script objects by their class: Thread*, BinCode*, const BinCode*, and the
// GUI's and the game's classes, which bind through the same rule.
template <class T>
struct Param<T*, std::enable_if_t<std::is_base_of_v<VarExtension, std::remove_const_t<T>>>> {
    using Class = std::remove_const_t<T>;
    using Stored = T*;
    static Stored Fetch(t_Interface& call, int index) {
        VarExtension* object = ArgToObject(call.GetArg(index), index, call.thread, Class::kClassRecord);
        return static_cast<Class*>(object);
    }
    static T* Pass(Stored stored) { return stored; }
};

// ---- results ----------------------------------------------------------------

inline void WrapResult(Var& result, bool value) { result.SetBool(value); }
inline void WrapResult(Var& result, int value) { result.SetInt(value); }
inline void WrapResult(Var& result, float value) { result.SetFloat(value); }
// A missing text reads as the empty string, not as nil.
inline void WrapResult(Var& result, const char* text) { result.SetString(text ? text : ""); }
inline void WrapResult(Var& result, const Var& value) { result.Assign(value); }
template <class T, class = std::enable_if_t<std::is_base_of_v<VarExtension, std::remove_const_t<T>>>>
void WrapResult(Var& result, T* object) {
    result.SetObject(const_cast<std::remove_const_t<T>*>(object));
}

// ---- the adapter --------------------------------------------------------------

template <class Signature>
class function_adapter_of;

template <class R, class... Args>
class function_adapter_of<R(Args...)> : public function_adapter {
public:
    using Function = R (*)(Args...);
    explicit function_adapter_of(Function function) : function_(function) {}

    Var* Call(Var* result, t_Interface& call) override {
        std::tuple<typename Param<Args>::Stored...> converted{};
        FetchAll(converted, call, std::index_sequence_for<Args...>{});
        if constexpr (std::is_void_v<R>) {
            Invoke(converted, std::index_sequence_for<Args...>{});
            MakeNil(*result);
        } else {
            WrapResult(*result, Invoke(converted, std::index_sequence_for<Args...>{}));
        }
        return result;
    }

    Function GetFunction() const { return function_; }

private:
    template <class Tuple, size_t... I>
    static void FetchAll(Tuple& converted, t_Interface& call, std::index_sequence<I...>) {
        // From the last parameter to the first, as the arguments were pushed.
        constexpr size_t count = sizeof...(I);
        (FetchOne<count - 1 - I>(converted, call), ...);
    }
    template <size_t K, class Tuple>
    static void FetchOne(Tuple& converted, t_Interface& call) {
        using T = std::tuple_element_t<K, std::tuple<Args...>>;
        std::get<K>(converted) = Param<T>::Fetch(call, static_cast<int>(K));
    }
    template <class Tuple, size_t... I>
    R Invoke(Tuple& converted, std::index_sequence<I...>) {
        return function_(Param<Args>::Pass(std::get<I>(converted))...);
    }
    static void MakeNil(Var& value) {
        value.Clear();
        value.SetAutoFlag(false);
        value.SetConstFlag(false);
    }

    Function function_;
};

// The one adapter of a native function, made on first use. Adapters are
// never released (bind values do not release them), so they live in static
// storage rather than on the heap.
template <auto Function>
function_adapter* AdapterFor() {
    using Pointer = decltype(Function);
    using Signature = std::remove_pointer_t<Pointer>;
    static function_adapter_of<Signature> adapter(Function);
    return &adapter;
}

}  // namespace Vrel::detail
