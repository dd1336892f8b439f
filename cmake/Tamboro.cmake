# Build conventions shared by every target of the project.

set(TAMBORO_WARNINGS -Wall -Wextra -Wpedantic -Wnon-virtual-dtor -Woverloaded-virtual
    -Wcast-align -Wimplicit-fallthrough)
if(TAMBORO_WERROR)
    list(APPEND TAMBORO_WARNINGS -Werror)
endif()

if(TAMBORO_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

# Every target of ours gets the warning set.
function(tamboro_target_defaults target)
    target_compile_options(${target} PRIVATE ${TAMBORO_WARNINGS})
endfunction()

# Core libraries hold the logic and must never depend on Qt Widgets. Two fences keep it so:
# the guard directory makes any Qt Widgets header fail to compile inside a core target, and
# tamboro_check_core_targets() refuses to configure when a core target links Qt6::Widgets,
# directly or through another of our libraries.
set_property(GLOBAL PROPERTY TAMBORO_CORE_TARGETS "")

function(tamboro_add_core_library name)
    add_library(${name} STATIC ${ARGN})
    tamboro_target_defaults(${name})
    target_include_directories(${name} BEFORE PRIVATE ${PROJECT_SOURCE_DIR}/cmake/core-guard)
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    set_property(GLOBAL APPEND PROPERTY TAMBORO_CORE_TARGETS ${name})
endfunction()

function(_tamboro_collect_links target out_var)
    set(seen "")
    set(queue ${target})
    while(queue)
        list(POP_FRONT queue current)
        if(current IN_LIST seen)
            continue()
        endif()
        list(APPEND seen ${current})
        if(NOT TARGET ${current})
            continue()
        endif()
        get_target_property(aliased ${current} ALIASED_TARGET)
        if(aliased)
            list(APPEND queue ${aliased})
        endif()
        foreach(prop LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
            get_target_property(libs ${current} ${prop})
            if(libs)
                foreach(lib IN LISTS libs)
                    # Strip generator expressions such as $<LINK_ONLY:Qt6::Widgets>.
                    string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" lib "${lib}")
                    list(APPEND queue ${lib})
                endforeach()
            endif()
        endforeach()
    endwhile()
    set(${out_var} ${seen} PARENT_SCOPE)
endfunction()

function(tamboro_check_core_targets)
    get_property(core_targets GLOBAL PROPERTY TAMBORO_CORE_TARGETS)
    foreach(target IN LISTS core_targets)
        _tamboro_collect_links(${target} links)
        foreach(forbidden Qt6::Widgets Qt::Widgets Qt6Widgets)
            if(forbidden IN_LIST links)
                message(FATAL_ERROR
                    "Core target '${target}' depends on ${forbidden}; core code must stay free "
                    "of widgets (move the widget code into a ui/ folder).")
            endif()
        endforeach()
    endforeach()
endfunction()
