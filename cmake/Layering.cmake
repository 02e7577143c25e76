# Checks that every library and program under a source folder links only to targets
# declared before it: the layers are added bottom-up, so a link to a later target is a
# link upward. A generator expression naming one of our targets is refused as well, since
# it could name a layer that does not exist yet.

# The build-system targets of dir and its subfolders, in the order they were declared
# (a folder's own targets before those of its subfolders).
function(quelnor_targets_in_order dir out)
  get_property(own DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  set(all ${own})
  foreach(sub IN LISTS subdirs)
    quelnor_targets_in_order(${sub} below)
    list(APPEND all ${below})
  endforeach()
  set(${out} ${all} PARENT_SCOPE)
endfunction()

function(quelnor_check_layering dir)
  quelnor_targets_in_order(${dir} ordered)
  list(LENGTH ordered count)
  foreach(target IN LISTS ordered)
    list(FIND ordered ${target} own_rank)
    get_target_property(links ${target} LINK_LIBRARIES)
    if(NOT links)
      continue()
    endif()
    foreach(link IN LISTS links)
      if(link MATCHES "\\$<")
        foreach(known IN LISTS ordered)
          string(FIND "${link}" "${known}" at)
          if(NOT at EQUAL -1)
            message(FATAL_ERROR "${target} links to ${known} through the generator "
                                "expression ${link}: link each layer by its plain name")
          endif()
        endforeach()
        continue()
      endif()
      list(FIND ordered ${link} rank)
      if(NOT rank EQUAL -1 AND NOT rank LESS own_rank)
        message(FATAL_ERROR "${target} links to ${link}, which is declared after it: "
                            "a layer may only use the layers below it")
      endif()
    endforeach()
  endforeach()
endfunction()
