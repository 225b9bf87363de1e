# Embeds files into the program as named byte ranges, so the game never
# depends on the working directory to find its pictures and fonts.
#
# lorvex_embed_library(<target> <table> <name> <file> [<name> <file> ...])
# makes a static library with one object per file and a lookup table
#   extern const EmbeddedFile <table>[]; extern const int <table>Count;
# (EmbeddedFile is declared in platform/embedded_file.h).
function(lorvex_embed_library target table)
  set(args ${ARGN})
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/embed/${target})
  file(MAKE_DIRECTORY ${dir})
  set(sources)
  set(decls "")
  set(rows "")
  list(LENGTH args n)
  math(EXPR last "${n} - 1")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET args ${i} name)
    list(GET args ${j} file)
    get_filename_component(file ${file} ABSOLUTE)
    string(MAKE_C_IDENTIFIER "${table}_${name}" sym)
    set(src ${dir}/${sym}.cpp)
    if(EMSCRIPTEN)
      # WebAssembly objects keep each data symbol's size and know no .previous.
      set(section "\".section .rodata.${sym},\\\"\\\",@\\n\"")
      set(size_begin "\".size ${sym}, .-${sym}\\n\"")
      set(size_end "\".size ${sym}_end, 1\\n\"")
      set(back "\".text\\n\"")
    else()
      set(section "\".section .rodata\\n\"")
      set(size_begin "")
      set(size_end "")
      set(back "\".previous\\n\"")
    endif()
    file(WRITE ${src}.in
"// Generated: the bytes of ${file}.
__asm__(${section}
        \".global ${sym}\\n\"
        \".balign 16\\n\"
        \"${sym}:\\n\"
        \".incbin \\\"${file}\\\"\\n\"
        ${size_begin}
        \".global ${sym}_end\\n\"
        \"${sym}_end:\\n\"
        \".byte 0\\n\"
        ${size_end}
        ${back});
")
    configure_file(${src}.in ${src} COPYONLY)
    set_source_files_properties(${src} PROPERTIES OBJECT_DEPENDS ${file})
    list(APPEND sources ${src})
    string(APPEND decls "extern \"C\" const unsigned char ${sym}[];\nextern \"C\" const unsigned char ${sym}_end[];\n")
    string(APPEND rows "    {\"${name}\", ${sym}, ${sym}_end},\n")
  endforeach()
  set(tablesrc ${dir}/${table}.cpp)
  file(WRITE ${tablesrc}.in
"// Generated: the table of embedded files.
#include \"platform/embedded_file.h\"
${decls}
extern const EmbeddedFile ${table}[] = {
${rows}};
extern const int ${table}Count = sizeof(${table}) / sizeof(${table}[0]);
")
  configure_file(${tablesrc}.in ${tablesrc} COPYONLY)
  add_library(${target} STATIC ${sources} ${tablesrc})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
endfunction()
