# Build settings shared by every target of ours (not by third-party code).
option(MORVANE_WERROR "Treat compiler warnings as errors" OFF)
option(MORVANE_SANITIZE "Build the native code with AddressSanitizer and UBSan" OFF)
option(MORVANE_TSAN "Build the native code with ThreadSanitizer" OFF)
if(MORVANE_SANITIZE AND MORVANE_TSAN)
    message(FATAL_ERROR "MORVANE_SANITIZE and MORVANE_TSAN cannot be combined: ASan and TSan exclude each other")
endif()
if((MORVANE_SANITIZE OR MORVANE_TSAN) AND WIN32)
    message(FATAL_ERROR "The sanitizers are for the native build only")
endif()

# ASan + UBSan: every finding stops the program (no recovery), so that a test
# run with one report fails. float-cast-overflow is undefined behaviour that
# g++ leaves out of -fsanitize=undefined.
set(MORVANE_ASAN_FLAGS -fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all)
set(MORVANE_TSAN_FLAGS -fsanitize=thread)

function(morvane_target_settings target)
    target_compile_features(${target} PUBLIC cxx_std_20)
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Wshadow -Wformat=2
        -Wnon-virtual-dtor -Wold-style-cast)
    if(MORVANE_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
    if(WIN32)
        # The ANSI ("A") Win32 calls, a recent enough API, and a C library whose
        # printf knows %llu and %zu.
        target_compile_definitions(${target} PUBLIC
            _WIN32_WINNT=0x0601 WINVER=0x0601 __USE_MINGW_ANSI_STDIO=1 NOMINMAX
            WIN32_LEAN_AND_MEAN STRICT)
    endif()
    if(MORVANE_SANITIZE)
        target_compile_options(${target} PUBLIC ${MORVANE_ASAN_FLAGS} -fno-omit-frame-pointer)
        target_link_options(${target} PUBLIC ${MORVANE_ASAN_FLAGS})
    elseif(MORVANE_TSAN)
        target_compile_options(${target} PUBLIC ${MORVANE_TSAN_FLAGS} -fno-omit-frame-pointer)
        target_link_options(${target} PUBLIC ${MORVANE_TSAN_FLAGS})
    endif()
endfunction()

# Windows programs carry no DLL of the compiler's beside them.
function(morvane_executable_settings target)
    morvane_target_settings(${target})
    if(WIN32)
        target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
    endif()
endfunction()
