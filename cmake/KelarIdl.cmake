# Interface definitions compiled with widl (Windows build only).
#
#   kelar_add_idl(<name> <idl file>)
#     Generates, under ${CMAKE_BINARY_DIR}/generated:
#       <name>.h     the C/C++ header (interfaces, __uuidof declarations)
#       <name>_i.c   the identifiers (IID_..., LIBID_..., CLSID_...)
#       <name>.tlb   the type library, when the IDL has a library block
#     and the static library target kelar_idl_<name> holding the identifiers.
#     Linking that target puts the header on the include path and builds it
#     before any source of the consumer compiles. The type library's path is
#     left in KELAR_IDL_<name>_TLB.
#
#   kelar_embed_typelib(<target> <name> <resource id>)
#     Links the type library of kelar_add_idl(<name> ...) into <target> as
#     the resource TYPELIB <resource id>.

if(NOT WIN32)
  return()
endif()

enable_language(RC)

if(NOT KELAR_WIDL)
  set(KELAR_WIDL widl)
endif()
# Debian's mingw headers lack the IDL files (oaidl.idl, ...); Wine's
# development package has them, and Wine's runtime has stdole2.tlb for
# importlib.
set(KELAR_WINE_IDL_DIR /usr/include/wine/wine/windows CACHE PATH "Folder of Wine's system IDL files")
find_path(KELAR_WINE_TLB_DIR stdole2.tlb
  PATHS /usr/lib/x86_64-linux-gnu/wine/x86_64-windows
        /usr/lib/i386-linux-gnu/wine/i386-windows
        /usr/lib/wine/x86_64-windows
        /usr/lib/wine/i386-windows
  NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT KELAR_WINE_TLB_DIR)
  message(FATAL_ERROR "stdole2.tlb not found: install Wine (package libwine)")
endif()

function(kelar_add_idl name idl)
  set(out ${CMAKE_BINARY_DIR}/generated)
  file(MAKE_DIRECTORY ${out})
  set(widl ${KELAR_WIDL} ${KELAR_WIDL_FLAGS} -I${KELAR_WINE_IDL_DIR} -L${KELAR_WINE_TLB_DIR})
  # One run per output: given -h and -t together, widl ignores -o for the
  # type library.
  add_custom_command(OUTPUT ${out}/${name}.h
    COMMAND ${widl} -h -o ${out}/${name}.h ${idl}
    DEPENDS ${idl} VERBATIM)
  add_custom_command(OUTPUT ${out}/${name}_i.c
    COMMAND ${widl} -u -o ${out}/${name}_i.c ${idl}
    DEPENDS ${idl} VERBATIM)
  add_custom_command(OUTPUT ${out}/${name}.tlb
    COMMAND ${widl} -t -o ${out}/${name}.tlb ${idl}
    DEPENDS ${idl} VERBATIM)
  add_library(kelar_idl_${name} STATIC ${out}/${name}_i.c ${out}/${name}.h ${out}/${name}.tlb)
  target_include_directories(kelar_idl_${name} PUBLIC ${out})
  set(KELAR_IDL_${name}_TLB ${out}/${name}.tlb PARENT_SCOPE)
endfunction()

function(kelar_embed_typelib target name id)
  set(tlb ${CMAKE_BINARY_DIR}/generated/${name}.tlb)
  set(rc ${CMAKE_BINARY_DIR}/generated/${target}_typelib_${id}.rc)
  file(CONFIGURE OUTPUT ${rc} CONTENT "${id} TYPELIB \"${tlb}\"\n")
  # An object library, not a static one: nothing refers to a resource by
  # symbol, so the linker would leave it out of an archive.
  add_library(${target}_typelib_${id} OBJECT ${rc})
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${tlb})
  add_dependencies(${target}_typelib_${id} kelar_idl_${name})
  target_link_libraries(${target} PRIVATE ${target}_typelib_${id})
endfunction()
