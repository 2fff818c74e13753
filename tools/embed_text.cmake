# cmake -DINPUT=<file> -DOUTPUT=<.cpp> -DNAME=<symbol> -P embed_text.cmake
# Writes the file's bytes as a char array, so no escaping rule of a string literal applies.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" length)
math(EXPR size "${length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
string(REGEX REPLACE "(('[^']*',){16})" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT}.tmp
     "#include <cstddef>\nnamespace orrery::host {\n"
     "extern const char ${NAME}[];\nextern const std::size_t ${NAME}Size;\n"
     "const char ${NAME}[] = {\n${bytes}0};\n"
     "const std::size_t ${NAME}Size = ${size};\n}\n")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
