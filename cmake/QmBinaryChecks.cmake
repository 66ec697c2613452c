# qm_check_system_imports(TARGET)
# Adds a test (run natively, in every build) that the binary imports only DLLs
# that every Windows installation has: no mingw runtime DLL may slip in.
function(qm_check_system_imports target)
  add_test(NAME ${target}_imports_system_dlls_only
           COMMAND "${CMAKE_SOURCE_DIR}/tools/check-imports" "${CMAKE_OBJDUMP}" "$<TARGET_FILE:${target}>")
endfunction()
