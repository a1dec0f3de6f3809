# Makes Emscripten's shell page from page.html: the stylesheet and the scripts
# are pasted in where page.html names them, so the built page needs no other file.
file(READ ${SOURCE_DIR}/page.html page)
foreach(part editor.css bridge.js keyboard.js editor.js)
    file(READ ${SOURCE_DIR}/${part} content)
    string(REPLACE "/* @${part}@ */" "${content}" page "${page}")
endforeach()
file(WRITE ${OUTPUT} "${page}")
