# Fails when the platform-free core includes or calls anything of one operating system:
# such code belongs to the Linux adapters or the app.
file(GLOB_RECURSE sources "${CORE_DIR}/*.cpp" "${CORE_DIR}/*.h")
set(platform_include "#include <(pthread|unistd|fcntl|dlfcn|sys/|linux/|pulse/|xcb/|X11/|libav|libsw)")
set(platform_call "(pthread_[a-z_]+|prctl|syscall|ioctl)[ ]*\\(")
foreach(source IN LISTS sources)
  file(STRINGS "${source}" lines REGEX "${platform_include}|${platform_call}")
  foreach(line IN LISTS lines)
    message(SEND_ERROR "${source}: ${line}")
  endforeach()
endforeach()
