# Installs the Python package alone into a scratch prefix, then imports it from there in a
# fresh interpreter that sees nothing of the build tree.
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${WORK_DIR}/prefix --component python
  RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "install failed: ${rc}")
endif()
set(site ${WORK_DIR}/prefix/${SITE_DIR})
foreach(file __init__.py _commonobjects.pyi py.typed)
  if(NOT EXISTS ${site}/commonobjects/${file})
    message(FATAL_ERROR "${file} was not installed into ${site}/commonobjects")
  endif()
endforeach()
file(MAKE_DIRECTORY ${WORK_DIR}/elsewhere)
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env --unset=PYTHONHOME PYTHONPATH=${site}
    COMMONOBJECTS_REGISTRY=${WORK_DIR}/no-registry.reg
    ${PYTHON} -c "import commonobjects as co, sys; assert co.__file__.startswith(sys.argv[1]), co.__file__; print(co.__file__, co.to_units('00:00:01:00'), len(co.Mix()))" ${site}
  WORKING_DIRECTORY ${WORK_DIR}/elsewhere
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
message(STATUS "${out}${err}")
if(rc)
  message(FATAL_ERROR "the installed package does not import: ${rc}")
endif()
