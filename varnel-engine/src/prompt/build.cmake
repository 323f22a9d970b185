# The built-in step, direction and guide texts live in src/prompt/builtin as Markdown
# documents; at build time they become constant data of the library.
file(GLOB_RECURSE _varnel_builtin_texts CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/builtin/*.md)
set(_varnel_builtin_cpp ${CMAKE_CURRENT_BINARY_DIR}/generated/builtin_texts.cpp)
add_custom_command(
  OUTPUT ${_varnel_builtin_cpp}
  COMMAND ${CMAKE_COMMAND} -DROOT=${CMAKE_CURRENT_LIST_DIR}/builtin -DOUTPUT=${_varnel_builtin_cpp}
          -P ${CMAKE_CURRENT_LIST_DIR}/builtin/embed.cmake
  DEPENDS ${_varnel_builtin_texts} ${CMAKE_CURRENT_LIST_DIR}/builtin/embed.cmake
  COMMENT "Embedding the built-in step, direction and guide texts"
  VERBATIM)
target_sources(varnel-engine PRIVATE ${_varnel_builtin_cpp})
