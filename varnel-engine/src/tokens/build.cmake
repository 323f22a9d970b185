# The cl100k_base rank table is compiled in: scripts/make_rank_blob.py turns the committed
# rank file into the table the encoder reads in place, and a generated unit embeds it with
# .incbin, so that counting reads nothing from disk and parses nothing at run time.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(VARNEL_CL100K_RANKS ${CMAKE_CURRENT_SOURCE_DIR}/data/cl100k_base.tiktoken)
set(VARNEL_CL100K_SHA256 223921b76ee99bde995b7ff738513eef100fb51d18c93597a113bcffe865b2a7)
file(SHA256 ${VARNEL_CL100K_RANKS} _varnel_cl100k_actual)
if(NOT _varnel_cl100k_actual STREQUAL VARNEL_CL100K_SHA256)
  message(FATAL_ERROR "${VARNEL_CL100K_RANKS} has sha256 ${_varnel_cl100k_actual}, "
                      "expected ${VARNEL_CL100K_SHA256}")
endif()
# A changed rank file reconfigures, which checks its hash again.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${VARNEL_CL100K_RANKS})

set(_varnel_cl100k_dir ${CMAKE_CURRENT_BINARY_DIR}/generated)
set(_varnel_cl100k_blob ${_varnel_cl100k_dir}/cl100k_blob.bin)
set(_varnel_cl100k_unit ${_varnel_cl100k_dir}/cl100k_blob.cpp)
add_custom_command(
  OUTPUT ${_varnel_cl100k_blob} ${_varnel_cl100k_unit}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_varnel_cl100k_dir}
  COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/scripts/make_rank_blob.py
          ${VARNEL_CL100K_RANKS} ${VARNEL_CL100K_SHA256} ${_varnel_cl100k_blob} ${_varnel_cl100k_unit}
  DEPENDS ${VARNEL_CL100K_RANKS} ${PROJECT_SOURCE_DIR}/scripts/make_rank_blob.py
  COMMENT "Generating the embedded cl100k_base table"
  VERBATIM)
set_source_files_properties(${_varnel_cl100k_unit} PROPERTIES OBJECT_DEPENDS ${_varnel_cl100k_blob})
target_sources(varnel-engine PRIVATE ${_varnel_cl100k_unit})
