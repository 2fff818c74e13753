# cmake -DIN=<file> -DOUT=<file> -P embed_file.cmake: the bytes of IN as a C++ initialiser
# list, so a test carries the file on every platform without finding it at run time.
file(READ "${IN}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
file(WRITE "${OUT}" "${bytes}\n")
