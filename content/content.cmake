# Generated content: contentgen (tools/contentgen) writes models, textures and sounds into
# ${GAME_DIR}/data and mapc (tools/mapc) compiles the course text into data/Map/map2.map. Both run
# again only when a tool or a course file changes (the stamp file records the last run).
file(GLOB_RECURSE COURSE_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/content/course/*)
set(CONTENT_STAMP ${CMAKE_BINARY_DIR}/content.stamp)
add_custom_command(
  OUTPUT ${CONTENT_STAMP}
  COMMAND $<TARGET_FILE:contentgen> --out ${GAME_DIR}/data --courses ${CMAKE_BINARY_DIR}/courses
          --shipped ${CMAKE_SOURCE_DIR}/content/course/course.txt
  COMMAND $<TARGET_FILE:mapc> compile --models ${GAME_DIR}/data/MapObject ${CMAKE_BINARY_DIR}/courses/mountain.txt ${GAME_DIR}/data/Map/mountain.map
  COMMAND $<TARGET_FILE:mapc> compile --models ${GAME_DIR}/data/MapObject ${CMAKE_BINARY_DIR}/courses/evening.txt ${GAME_DIR}/data/Map/evening.map
  COMMAND $<TARGET_FILE:mapc> compile --models ${GAME_DIR}/data/MapObject ${CMAKE_BINARY_DIR}/courses/long.txt ${GAME_DIR}/data/Map/long.map
  COMMAND $<TARGET_FILE:mapc> compile --models ${GAME_DIR}/data/MapObject ${CMAKE_SOURCE_DIR}/content/course/course.txt ${GAME_DIR}/data/Map/map2.map
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/content/course/courses.ini ${GAME_DIR}/data/Map/courses.ini
  COMMAND ${CMAKE_COMMAND} -E touch ${CONTENT_STAMP}
  DEPENDS contentgen mapc ${COURSE_FILES}
  COMMENT "Generating game content into ${GAME_DIR}/data"
  VERBATIM)
add_custom_target(content ALL DEPENDS ${CONTENT_STAMP})
