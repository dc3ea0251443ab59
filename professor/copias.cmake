# The broken copies, kept here in clear (.trocas, with what each shows), are
# encoded into the build for the hunt, exactly as the student edition carries
# them; the hunt then reads the same form in both.
if(NOT AULAS_SANITIZE)
  set(AULAS_COPIAS ${CMAKE_BINARY_DIR}/copias)
  file(MAKE_DIRECTORY ${AULAS_COPIAS})
  foreach(licao IN LISTS AULAS_LICOES)
    set(trocas ${professor}/defeitos/${licao}.trocas)
    if(EXISTS ${trocas})
      execute_process(COMMAND sh ${professor}/codifica.sh ${trocas}
                      OUTPUT_FILE ${AULAS_COPIAS}/${licao}.copias COMMAND_ERROR_IS_FATAL ANY)
      set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                   ${trocas} ${professor}/codifica.sh)
    endif()
  endforeach()
endif()
