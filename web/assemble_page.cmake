# Puts the page together as one file: index.html with its style sheet, its
# script (logic.js, then page.js), the worker's source (the converter
# module's loader, then worker.js) and the WebAssembly in base64 written into
# it where its markers stand; the same for the ZIP worker (the zipper's
# loader, then zip_worker.js) and its WebAssembly.
#   cmake -D SOURCE_DIR=<web> -D MODULE=<quilnote_web.js> -D WASM=<base64 file>
#         -D ZIPPER=<quilnote_zipper.js> -D ZIPPER_WASM=<base64 file>
#         -D OUTPUT=<index.html> -P assemble_page.cmake
file(READ ${SOURCE_DIR}/index.html page)
file(READ ${SOURCE_DIR}/page.css style)
file(READ ${SOURCE_DIR}/logic.js logic)
file(READ ${SOURCE_DIR}/page.js script)
string(PREPEND script "${logic}")
file(READ ${WASM} wasm)
file(READ ${ZIPPER} zipper)
file(READ ${SOURCE_DIR}/zip_worker.js zip_worker)
file(READ ${ZIPPER_WASM} zipper_wasm)
file(READ ${MODULE} module)
file(READ ${SOURCE_DIR}/worker.js worker)

# The contents of a script or style element end at the first "</script" or
# "</style", and "<!--" changes how the rest is read: none may hold them.
foreach(part style script module worker zipper zip_worker)
  string(TOLOWER "${${part}}" lowered)
  if(lowered MATCHES "</script|</style|<!--")
    message(FATAL_ERROR "${part} holds \"${CMAKE_MATCH_0}\", which would end its element early")
  endif()
endforeach()

foreach(marker "<!-- style -->" "<!-- script -->" "<!-- worker -->" "<!-- wasm -->")
  string(FIND "${page}" "${marker}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "index.html has no ${marker}")
  endif()
endforeach()
string(REPLACE "<!-- style -->" "<style>\n${style}</style>" page "${page}")
# A script of an unknown type is not run: the page hands its text to the
# worker as a Blob.
string(REPLACE "<!-- worker -->"
       "<script type=\"text/plain\" id=\"worker-source\">\n${module}\n${worker}</script>"
       page "${page}")
string(REPLACE "<!-- wasm -->"
       "<script type=\"application/octet-stream\" id=\"converter-wasm\">${wasm}</script>
<script type=\"text/plain\" id=\"zip-worker-source\">\n${zipper}\n${zip_worker}</script>
<script type=\"application/octet-stream\" id=\"zipper-wasm\">${zipper_wasm}</script>"
       page "${page}")
string(REPLACE "<!-- script -->" "<script>\n${script}</script>" page "${page}")
file(WRITE ${OUTPUT} "${page}")
