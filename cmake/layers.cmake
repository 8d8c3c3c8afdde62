# The layers of the program, each one library that sees only itself and the layers below it:
#
#   ui  ->  app, cli  ->  schedule  ->  engine, settings  ->  log  ->  os
#
# A layer's sources find headers through a directory of links to the folders it may use, and
# to no others, so an #include of a layer above does not compile. The window logic in app/ is
# written against the window seam it declares (app/window_controls.h); ui/ realises it and
# holds the programs' entry points, so no arrow climbs back up.
set(QS_LAYERS_BELOW_os os)
set(QS_LAYERS_BELOW_log log os)
set(QS_LAYERS_BELOW_settings settings os)
set(QS_LAYERS_BELOW_engine engine log os)
set(QS_LAYERS_BELOW_schedule schedule engine settings log os)
set(QS_LAYERS_BELOW_app app schedule engine settings log os)
set(QS_LAYERS_BELOW_cli cli schedule engine settings log os)
set(QS_LAYERS_BELOW_ui ui app schedule engine settings log os)

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
