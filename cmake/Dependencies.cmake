# The system libraries Orvanta links against, as imported targets with
# stable names, so that folder CMakeLists never repeat the lookups.
find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets Test)
find_package(PkgConfig REQUIRED)
find_package(ZLIB REQUIRED)
find_package(GTest REQUIRED)
find_package(benchmark REQUIRED)
find_package(Threads REQUIRED)

pkg_check_modules(MAGICK REQUIRED IMPORTED_TARGET MagickCore-6.Q16)
pkg_check_modules(SNDFILE REQUIRED IMPORTED_TARGET sndfile)
pkg_check_modules(MINIZIP REQUIRED IMPORTED_TARGET minizip)
pkg_check_modules(LIBXML2 REQUIRED IMPORTED_TARGET libxml-2.0)
pkg_check_modules(PROJ REQUIRED IMPORTED_TARGET proj)
pkg_check_modules(ALSA REQUIRED IMPORTED_TARGET alsa)
pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)

add_library(orvanta::magick ALIAS PkgConfig::MAGICK)
add_library(orvanta::sndfile ALIAS PkgConfig::SNDFILE)
add_library(orvanta::minizip ALIAS PkgConfig::MINIZIP)
add_library(orvanta::xml2 ALIAS PkgConfig::LIBXML2)
add_library(orvanta::proj ALIAS PkgConfig::PROJ)
add_library(orvanta::alsa ALIAS PkgConfig::ALSA)
add_library(orvanta::fontconfig ALIAS PkgConfig::FONTCONFIG)
