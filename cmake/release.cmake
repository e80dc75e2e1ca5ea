# What a release needs from every build: the same bytes from the same sources, and its signature.

# No build time and no build folder in what is built: the linker writes no time stamp, and
# __FILE__ names a source by its path inside the tree.
add_link_options(-Wl,--no-insert-timestamp)
add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}/= -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)
# The date of the files inside the installers (NSIS and the MSI's cabinet keep one).
# 315532800 is 1 January 1980, the earliest date those formats hold.
set(VORBEL_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}" CACHE STRING "Date of the packed files, seconds since 1970")
if(NOT VORBEL_SOURCE_DATE_EPOCH)
  set(VORBEL_SOURCE_DATE_EPOCH 315532800)
endif()

# A release names its code-signing certificate: a PKCS#12 file, whose password comes from the
# environment (VORBEL_SIGN_PASSWORD) when the build runs and is never stored, and a timestamp
# server (RFC 3161). Vorbel.exe and the preset writer are signed right after their link, before
# any installer packs them; the installers once they are built (installer/CMakeLists.txt).
set(VORBEL_SIGN_PKCS12 "$ENV{VORBEL_SIGN_PKCS12}" CACHE FILEPATH "Code-signing certificate of a release (PKCS#12)")
set(VORBEL_SIGN_TIMESTAMP "$ENV{VORBEL_SIGN_TIMESTAMP}" CACHE STRING "Timestamp server of a release's signatures")
set(VORBEL_SIGN "")
if(VORBEL_SIGN_PKCS12)
  set(VORBEL_SIGN sh ${CMAKE_SOURCE_DIR}/installer/sign.sh ${VORBEL_SIGN_PKCS12})
  if(VORBEL_SIGN_TIMESTAMP)
    list(APPEND VORBEL_SIGN --timestamp ${VORBEL_SIGN_TIMESTAMP})
  endif()
  message(STATUS "Signed with ${VORBEL_SIGN_PKCS12} (timestamp server: ${VORBEL_SIGN_TIMESTAMP})")
else()
  message(STATUS "Unsigned build: no code-signing certificate is named (VORBEL_SIGN_PKCS12)")
endif()

function(vorbel_signed target)
  if(VORBEL_SIGN)
    add_custom_command(TARGET ${target} POST_BUILD COMMAND ${VORBEL_SIGN} $<TARGET_FILE:${target}> VERBATIM)
  endif()
endfunction()
