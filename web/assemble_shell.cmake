# Makes Emscripten's shell page from page.html: the stylesheet and the scripts
# are pasted in where page.html names them, and the example file as hex, so the
# built page needs no other file. -DCATALOGUE=<file> is the words of the page,
# generated from po/.
file(READ ${SOURCE_DIR}/page.html page)
foreach(part editor.css strings.js language.js bridge.js file_access.js file_view.js edit_history.js keyboard.js
             editor_view.js editor_input.js editor.js)
    file(READ ${SOURCE_DIR}/${part} content)
    string(REPLACE "/* @${part}@ */" "${content}" page "${page}")
endforeach()
# The page's words, generated from po/.
file(READ ${CATALOGUE} content)
string(REPLACE "/* @catalogue.js@ */" "${content}" page "${page}")
file(READ ${SOURCE_DIR}/../examples/input.ini example HEX)
string(REPLACE "@example-hex@" "${example}" page "${page}")
file(WRITE ${OUTPUT} "${page}")
