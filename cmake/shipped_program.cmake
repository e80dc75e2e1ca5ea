# How the shipped program is linked, shared with the bench's minimal hand-over program so that
# both start under the same conditions.

# A DLL named here is delay-loaded: linked through a delay-import library made by dlltool from
# MinGW's import library, it loads on the first call into it (from the system folder only, see
# app/system_dlls.cpp), not when the process starts. On x64, dlltool's stub keeps the integer
# argument registers only: a function taking a floating-point argument loads through
# SystemDllFunction (win/system_dll.h) instead.
function(vorbel_delay_load target)
  set(dir ${CMAKE_BINARY_DIR}/delay-import)
  file(MAKE_DIRECTORY ${dir})
  set(libs)
  foreach(dll IN LISTS ARGN)
    set(lib ${dir}/lib${dll}_delay.a)
    if(NOT TARGET vorbel_delay_${dll})
      # The compiler knows where its import libraries are, cross or on Windows.
      execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=lib${dll}.a
                      OUTPUT_VARIABLE implib OUTPUT_STRIP_TRAILING_WHITESPACE)
      if(NOT EXISTS "${implib}")
        message(FATAL_ERROR "No import library lib${dll}.a for the delay-loading of ${dll}.dll")
      endif()
      add_custom_command(OUTPUT ${lib}
        COMMAND sh ${CMAKE_SOURCE_DIR}/cmake/delay_import.sh ${CMAKE_NM} ${CMAKE_DLLTOOL}
                ${implib} ${dll}.dll ${dir}/${dll}.def ${lib}
        DEPENDS ${CMAKE_SOURCE_DIR}/cmake/delay_import.sh ${implib}
        WORKING_DIRECTORY ${dir}
        VERBATIM)
      add_custom_target(vorbel_delay_${dll} DEPENDS ${lib})
    endif()
    add_dependencies(${target} vorbel_delay_${dll})
    list(APPEND libs ${lib})
  endforeach()
  # After the program's own libraries and before their import libraries on the link line: the
  # first archive that defines a DLL's functions is the one that the linker takes them from.
  target_link_libraries(${target} PRIVATE ${libs})
endfunction()

# Unused functions and data are dropped (each is compiled into a section of its own), and the
# release carries no symbols.
function(vorbel_shipped_link target)
  target_link_options(${target} PRIVATE -municode)
  if(CMAKE_BUILD_TYPE STREQUAL "Release")
    target_link_options(${target} PRIVATE -s -Wl,--gc-sections)
  endif()
endfunction()
