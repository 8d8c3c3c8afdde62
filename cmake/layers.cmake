# The layers of the program, each one library that sees only itself and the layers below it:
#
#   app, cli  ->  schedule  ->  engine, settings  ->  log  ->  platform
#
# A layer's sources find headers through a directory of links to the folders it may use, and
# to no others, so an #include of a layer above does not compile. Only platform/entry-* (the
# programs' entry points, built into the executables) calls up into app.
set(QS_LAYERS_BELOW_platform platform)
set(QS_LAYERS_BELOW_log log platform)
set(QS_LAYERS_BELOW_settings settings platform)
set(QS_LAYERS_BELOW_engine engine log platform)
set(QS_LAYERS_BELOW_schedule schedule engine settings log platform)
set(QS_LAYERS_BELOW_app app schedule engine settings log platform)
set(QS_LAYERS_BELOW_cli cli schedule engine settings log platform)

# qs_layer_view(TARGET LAYER): TARGET's sources see LAYER and the layers below it.
function(qs_layer_view target layer)
  set(view ${CMAKE_BINARY_DIR}/layers/${layer})
  foreach(folder IN LISTS QS_LAYERS_BELOW_${layer})
    if(NOT EXISTS ${view}/${folder})
      file(MAKE_DIRECTORY ${view})
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${view}/${folder} SYMBOLIC)
    endif()
  endforeach()
  target_include_directories(${target} PRIVATE ${view})
endfunction()
