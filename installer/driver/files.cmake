# The printer-driver files the installer names, put by the build into
# <build>/installer/driver for the tests and the demo to copy into a
# prefix's printer-driver directory: our ZERURUD.PPD, and placeholders for
# the operating system's PostScript driver and the driver plug-in, which
# are not part of this system.
set(ZERURUD_DRIVER_DIR ${CMAKE_CURRENT_BINARY_DIR}/driver)
configure_file(${CMAKE_CURRENT_LIST_DIR}/ZERURUD.PPD ${ZERURUD_DRIVER_DIR}/ZERURUD.PPD COPYONLY)
foreach(file PSCRIPT5.DLL PS5UI.DLL PSCRIPT.HLP PSCRIPT.NTF VAVAVIDI.INI VAVAVIDI.DLL)
  file(CONFIGURE OUTPUT ${ZERURUD_DRIVER_DIR}/${file}
       CONTENT "placeholder for ${file}, which is not part of this system\n")
endforeach()
