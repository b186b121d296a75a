# The library as others link it: every folder under valdrex/ in one shared library (libvaldrex.so.1)
# and one static library (libvaldrex.a), made from the objects the folder libraries already
# compiled. The folder libraries stay what the project's own programs and tests link.
get_property(folder_libraries GLOBAL PROPERTY VALDREX_FOLDER_LIBRARIES)
list(TRANSFORM folder_libraries REPLACE "(.+)" "$<TARGET_OBJECTS:\\1>" OUTPUT_VARIABLE objects)

add_library(valdrex_shared SHARED ${objects})
add_library(valdrex_static STATIC ${objects})
foreach(lib valdrex_shared valdrex_static)
  target_include_directories(${lib} INTERFACE $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
                                              $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  target_compile_features(${lib} INTERFACE cxx_std_20)
  target_link_libraries(${lib} PRIVATE PkgConfig::VALDREX_LIBZIP PkgConfig::VALDREX_EXPAT
                                       PkgConfig::VALDREX_DEFLATE Threads::Threads)
endforeach()
# The ABI's number, apart from the project's version: raised when a program built against the
# library before would break with the new one.
set(VALDREX_SOVERSION 1)
set_target_properties(valdrex_shared PROPERTIES OUTPUT_NAME valdrex EXPORT_NAME valdrex
                      VERSION ${VALDREX_SOVERSION}.0.0 SOVERSION ${VALDREX_SOVERSION})
set_target_properties(valdrex_static PROPERTIES OUTPUT_NAME valdrex EXPORT_NAME valdrex_static)
# A symbol missing from the shared library fails its link, not a consumer's. The sanitizers'
# runtimes are only linked into programs, so their builds leave those symbols open.
if(NOT VALDREX_SANITIZE AND NOT VALDREX_TSAN AND NOT VALDREX_FUZZ)
  target_link_options(valdrex_shared PRIVATE -Wl,--no-undefined)
endif()
add_library(Valdrex::valdrex ALIAS valdrex_shared)
add_library(Valdrex::valdrex_static ALIAS valdrex_static)
