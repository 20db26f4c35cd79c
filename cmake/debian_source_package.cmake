# quorvel_debian_source(PACKAGE INSTALLED_PACKAGE DIRECTORY): unpacks Debian's source package
# PACKAGE into DIRECTORY, at the version from which the build machine's INSTALLED_PACKAGE was built,
# so a cross-build compiles exactly the sources of the library the native build links.
#
# apt-get source fetches it from the machine's own Debian archive, checks it against the archive's
# signed index and applies Debian's patches; it needs source entries (deb-src) in apt's sources,
# which `scripts/install-dependencies --debian-sources` adds. The unpacked tree lives in the build
# directory, is never committed, and is fetched again only when the version changes.

function(quorvel_debian_source package installedPackage directory)
  execute_process(
    COMMAND dpkg-query -W -f=\${source:Version} ${installedPackage}
    OUTPUT_VARIABLE version
    RESULT_VARIABLE status
    ERROR_QUIET)
  if(NOT status EQUAL 0 OR version STREQUAL "")
    message(FATAL_ERROR "${installedPackage} is not installed; run scripts/install-dependencies --debian-sources")
  endif()

  set(stamp ${directory}.version)
  if(EXISTS ${directory} AND EXISTS ${stamp})
    file(READ ${stamp} fetchedVersion)
    if(fetchedVersion STREQUAL version)
      return()
    endif()
  endif()

  message(STATUS "Fetching Debian source package ${package} ${version}")
  get_filename_component(parent ${directory} DIRECTORY)
  set(downloads ${parent}/downloads)
  file(REMOVE_RECURSE ${directory} ${downloads})
  file(MAKE_DIRECTORY ${downloads})
  execute_process(
    COMMAND apt-get source --download-only --only-source ${package}=${version}
    WORKING_DIRECTORY ${downloads}
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output
    RESULT_VARIABLE status)
  file(GLOB description ${downloads}/*.dsc)
  list(LENGTH description descriptions)
  if(NOT status EQUAL 0 OR NOT descriptions EQUAL 1)
    message(FATAL_ERROR "apt-get source ${package}=${version} failed:\n${output}\n"
                        "Source entries (deb-src) must be enabled: run scripts/install-dependencies --debian-sources")
  endif()
  execute_process(
    COMMAND dpkg-source --extract ${description} ${directory}
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "dpkg-source could not unpack ${description}:\n${output}")
  endif()
  file(REMOVE_RECURSE ${downloads})
  file(WRITE ${stamp} ${version})
endfunction()
