# Every third-party library comes from a Debian package through pkg-config.
find_package(PkgConfig REQUIRED)
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
pkg_check_modules(TINYXML REQUIRED IMPORTED_TARGET tinyxml)
pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
pkg_check_modules(ZLIB REQUIRED IMPORTED_TARGET zlib)
pkg_check_modules(VORBISFILE REQUIRED IMPORTED_TARGET vorbisfile)
pkg_check_modules(OPENAL REQUIRED IMPORTED_TARGET openal)
pkg_check_modules(VORBISENC REQUIRED IMPORTED_TARGET vorbisenc vorbis ogg)  # tests write Ogg files
pkg_check_modules(GL REQUIRED IMPORTED_TARGET gl)
# The X server's own time of a press; SDL's X11 video needs the library anyway.
pkg_check_modules(X11 REQUIRED IMPORTED_TARGET x11)
find_package(Threads REQUIRED)
