# The web build's page: build-web/site holds index.html, the program's script and its module,
# nothing else, so that it can be served as it is.

set(KELVARIN_SITE ${CMAKE_BINARY_DIR}/site)

# The page carries the issue's title from the first byte it shows, before the program runs.
function(kelvarin_issue_title out)
  set(strings ${PROJECT_SOURCE_DIR}/issue/strings/strings.cpp)
  file(STRINGS ${strings} line REGEX "issue_title = \"")
  if(NOT line MATCHES "issue_title = \"([^\"]*)\"")
    message(FATAL_ERROR "no issue title found in ${strings}")
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${strings})
  set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()

# kelvarin_web_site(TARGET): TARGET's script and module go to the site, beside its page.
function(kelvarin_web_site target)
  kelvarin_issue_title(ISSUE_TITLE)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KELVARIN_SITE})
  set(KELVARIN_SCRIPT ${target}.js)
  configure_file(${PROJECT_SOURCE_DIR}/platform/web/index.html ${KELVARIN_SITE}/index.html @ONLY)
endfunction()
