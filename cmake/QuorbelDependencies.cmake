# System libraries and tools (Debian 12 packages), found through pkg-config and CMake's package files.
# Every one is needed: a missing one stops the configuration, always with the same message, which names the
# script that installs them all. No target is skipped for want of a library.

# quorbel_require(<found> <what>): stops the configuration when <found> is false.
function(quorbel_require found what)
    if(NOT ${found})
        message(FATAL_ERROR "${what} is missing: scripts/install-deps.sh installs it")
    endif()
endfunction()

find_package(PkgConfig)
quorbel_require(PKG_CONFIG_FOUND "pkg-config")
find_package(Threads)
quorbel_require(Threads_FOUND "the threads library")

pkg_check_modules(FFTW3F IMPORTED_TARGET fftw3f)
quorbel_require(FFTW3F_FOUND "FFTW3 single precision (fftw3f)")
pkg_check_modules(SLEEF IMPORTED_TARGET sleef)
quorbel_require(SLEEF_FOUND "SLEEF (sleef)")
pkg_check_modules(CAIRO IMPORTED_TARGET cairo)
quorbel_require(CAIRO_FOUND "Cairo (cairo)")
pkg_check_modules(PANGOCAIRO IMPORTED_TARGET pangocairo)
quorbel_require(PANGOCAIRO_FOUND "Pango with Cairo (pangocairo)")
pkg_check_modules(SNDFILE IMPORTED_TARGET sndfile)
quorbel_require(SNDFILE_FOUND "libsndfile (sndfile)")
pkg_check_modules(PLIST IMPORTED_TARGET libplist-2.0)
quorbel_require(PLIST_FOUND "libplist (libplist-2.0)")
pkg_check_modules(X11 IMPORTED_TARGET x11)
quorbel_require(X11_FOUND "Xlib (x11)")
pkg_check_modules(CAIRO_XLIB IMPORTED_TARGET cairo-xlib)
quorbel_require(CAIRO_XLIB_FOUND "Cairo's Xlib surfaces (cairo-xlib)")
pkg_check_modules(XTST IMPORTED_TARGET xtst)
quorbel_require(XTST_FOUND "the XTEST extension library (xtst)")
find_package(CLI11 CONFIG QUIET)
quorbel_require(CLI11_FOUND "CLI11")
# The lettering generator (tools/lettering) and the test that keeps its output and the committed source alike.
find_package(Python3 COMPONENTS Interpreter)
quorbel_require(Python3_Interpreter_FOUND "Python 3")

if(QUORBEL_BUILD_TESTS)
    find_package(GTest)
    quorbel_require(GTest_FOUND "GoogleTest")
    include(GoogleTest)
endif()
# The benchmarks are not built under the sanitizers.
if(QUORBEL_BUILD_BENCH AND NOT QUORBEL_SANITIZE)
    find_package(benchmark CONFIG QUIET)
    quorbel_require(benchmark_FOUND "Google Benchmark")
endif()
