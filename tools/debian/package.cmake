# The Debian package, made by tools/package with CPack. The build it packages
# must be configured with the prefix the package installs to (/usr), since the
# program carries its installed paths.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qlxtest)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
# Installed under DESTDIR, so that the desktop entry names the real prefix.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGE_CONTACT "qlxtest maintainers <maintainers@users.noreply.c-seed-295ce6eb.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The benchmark runner, qlxtest-bench, is a Python script (shlibdeps adds the
# libraries to this).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "python3")
# libsdl2 and the fonts are loaded only when an error box must be shown, so
# invisible to shlibdeps; the program's own notice window stands in when they
# are missing. The runner's plots need matplotlib, its default private X
# server Xvfb, and its title runs xprop, xwininfo (x11-utils), xdotool and
# glxinfo (mesa-utils); headless runs need none of them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
  "libsdl2-2.0-0, xfonts-base, python3-matplotlib, xvfb, x11-utils, xdotool, mesa-utils")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "motion blur demo and triangle benchmark for OpenGL")
# CPack puts the summary first, then indents this and marks the blank line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "qlxtest shows a goblet, a textured square or the Bezier teapot reflecting an
environment image through sphere-map texture coordinates. Dragged with the
mouse, the object keeps spinning; with motion blur on, each frame is the
average of several sub-frames blended in the colour buffer.

The window title shows frames and thousands of triangles per second, and
the -MAXTRIANGLES option turns the program into a triangle-throughput
benchmark of the OpenGL driver. It needs only OpenGL 1.1, GLU and freeglut.

qlxtest-bench runs the program, headless or on an X server, summarises its
figures over repeated runs, and compares them with an earlier baseline.")
include(CPack)
