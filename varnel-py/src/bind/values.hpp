#pragma once
// Converting C++ values into new Python objects: text to str, flags to bool, counts to
// int, absent to None, text lists to new lists, pairs and tuples to tuples, records to
// instances of their result class. Each conversion makes a new object.

#include "bind/errors.hpp"
#include "bind/instance.hpp"
#include "bind/python.hpp"
#include "bind/ref.hpp"

#include <array>
#include <concepts>
#include <cstddef>
#include <expected>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

namespace varnel::bind {

PyObject* text(std::string_view utf8);  // invalid UTF-8 becomes U+FFFD
PyObject* text_list(const std::vector<std::string>& texts);
PyObject* none();
PyObject* boolean(bool value);

namespace detail {

template <class T>
inline constexpr bool is_optional = false;
template <class T>
inline constexpr bool is_optional<std::optional<T>> = true;

template <class T>
inline constexpr bool is_tuple_like = false;
template <class... T>
inline constexpr bool is_tuple_like<std::tuple<T...>> = true;
template <class A, class B>
inline constexpr bool is_tuple_like<std::pair<A, B>> = true;

template <class T>
inline constexpr bool is_std_array = false;
template <class T, std::size_t N>
inline constexpr bool is_std_array<std::array<T, N>> = true;

template <class T>
inline constexpr bool is_expected = false;
template <class T, class E>
inline constexpr bool is_expected<std::expected<T, E>> = true;

template <class T>
inline constexpr bool always_false = false;

}  // namespace detail

// Records become instances of their result class. Plain aggregates are records; a
// record type with constructors opts in by specialising this to true.
template <class T>
inline constexpr bool is_record = std::is_aggregate_v<T> && !detail::is_std_array<T>;

template <class T>
PyObject* to_python(T&& value) {
  using V = std::remove_cvref_t<T>;
  if constexpr (std::same_as<V, bool>) {
    return boolean(value);
  } else if constexpr (std::integral<V> && std::is_signed_v<V>) {
    return PyLong_FromLongLong(static_cast<long long>(value));
  } else if constexpr (std::integral<V>) {
    return PyLong_FromUnsignedLongLong(static_cast<unsigned long long>(value));
  } else if constexpr (std::convertible_to<const V&, std::string_view>) {
    return text(std::string_view(value));
  } else if constexpr (std::same_as<V, std::vector<std::string>>) {
    return text_list(value);
  } else if constexpr (detail::is_optional<V>) {
    return value ? to_python(*std::forward<T>(value)) : none();
  } else if constexpr (detail::is_tuple_like<V>) {
    return std::apply(
        [](auto&&... items) -> PyObject* {
          Ref converted[] = {Ref::steal(to_python(std::forward<decltype(items)>(items)))...};
          Ref tuple = Ref::steal(PyTuple_New(sizeof...(items)));
          if (!tuple) return nullptr;
          Py_ssize_t i = 0;
          for (Ref& item : converted) {
            if (!item) return nullptr;
            PyTuple_SET_ITEM(tuple.get(), i++, item.release());
          }
          return tuple.release();
        },
        std::forward<T>(value));
  } else if constexpr (is_record<V>) {
    return make_instance<V>(V(std::forward<T>(value)));
  } else {
    static_assert(detail::always_false<V>, "no Python conversion for this type");
  }
}

// Converts what a wrapper returned: a value as above, nothing (void) to None, and an
// expected whose error is displayable to its value or to RuntimeError(display()).
template <class T>
PyObject* to_python_result(T&& result) {
  using V = std::remove_cvref_t<T>;
  if constexpr (detail::is_expected<V>) {
    static_assert(Displayable<typename V::error_type>, "wrapper errors need display()");
    if (!result) {
      raise_error(result.error());
      return nullptr;
    }
    if constexpr (std::is_void_v<typename V::value_type>) {
      return none();
    } else {
      return to_python(*std::forward<T>(result));
    }
  } else {
    return to_python(std::forward<T>(result));
  }
}

// Calls `fn(args...)` and converts its result, treating a void function as returning None.
template <class Fn, class... Args>
PyObject* call_and_convert(Fn&& fn, Args&&... args) {
  if constexpr (std::is_void_v<std::invoke_result_t<Fn, Args...>>) {
    std::invoke(std::forward<Fn>(fn), std::forward<Args>(args)...);
    return none();
  } else {
    return to_python_result(std::invoke(std::forward<Fn>(fn), std::forward<Args>(args)...));
  }
}

}  // namespace varnel::bind
