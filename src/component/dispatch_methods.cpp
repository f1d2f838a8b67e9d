#include "component/dispatch_methods.hpp"

#include <array>
#include <tuple>
#include <type_traits>
#include <utility>

#include "component/interface.hpp"
#include "platform/error.hpp"

namespace cvn::automation {
namespace {

template <auto Member, typename C, typename R, typename Class, typename... A>
Variant call(C& object, Arguments& args, R (Class::*)(A...)) {
  return [&]<size_t... K>(std::index_sequence<K...>) {
    std::tuple<std::remove_cvref_t<A>...> values;
    (args.read(K, std::get<K>(values)), ...);
    const auto writeBack = [&] {
      (
          [&] {
            if constexpr (kInOut<A>) args.store(K, std::get<K>(values));
          }(),
          ...);
    };
    Variant result;
    try {
      if constexpr (std::is_void_v<R>) {
        (object.*Member)(std::get<K>(values)...);
      } else {
        result = Variant((object.*Member)(std::get<K>(values)...));
      }
    } catch (const Error&) {
      writeBack();  // what a failing call changed still shows in the caller's variables
      throw;
    }
    writeBack();
    return result;
  }
  (std::index_sequence_for<A...>());
}

template <typename C, size_t I>
Variant invoke(C& object, Arguments& args) {
  constexpr auto member = std::remove_cvref_t<decltype(kMethod<C, I>)>::member;
  return call<member>(object, args, member);
}

template <typename C>
Variant invokeIn(C& object, const MethodInfo& method, Arguments& args) {
  using Invoker = Variant (*)(C&, Arguments&);
  static constexpr auto invokers = []<size_t... I>(std::index_sequence<I...>) {
    return std::array<Invoker, sizeof...(I)>{&invoke<C, I>...};
  }
  (std::make_index_sequence<kMethodCount<C>>());
  for (size_t k = 0; k < invokers.size(); ++k) {
    if (kMethodInfos<C>[k].dispatchId == method.dispatchId) return invokers[k](object, args);
  }
  throw InvokeFailure{DISP_E_MEMBERNOTFOUND};
}

}  // namespace

Variant invokeMethod(Corvane& comparer, const MethodInfo& method, Arguments& args) {
  return invokeIn(comparer, method, args);
}

Variant invokeMethod(Corvane_old& comparer, const MethodInfo& method, Arguments& args) {
  return invokeIn(comparer, method, args);
}

}  // namespace cvn::automation
