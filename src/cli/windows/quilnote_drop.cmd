@echo off
rem quilnote_drop.cmd: converts the text files dropped on it into PDFs.
rem
rem Drop one or more text files on this file in Explorer, or send them to
rem it with "Send to" (put a shortcut to it in the folder that Win+R
rem "shell:sendto" opens). Each text NAME.txt becomes NAME.pdf beside it,
rem in the encoding quilnote finds in it (-ea). A NAME.pdf that is there
rem already and is not a PDF is kept, and so is any NAME.pdf when quilnote
rem reports a problem.
rem
rem Options for every file go on the "set" line below, for example
rem     set "options=-p -sA4L -fm12"
rem At most six of them: quilnote reads nine arguments, and -ea and the
rem two file names take three.
set "options="
rem
rem How it works: each text is copied as in.txt into a folder of its own
rem under %TEMP% and converted there by names without a folder, since
rem quilnote reads any argument holding a "-" as an option, and a
rem hyphen in a user's or a folder's name ("OneDrive - ...") would be one.
rem The script is ASCII only, so no code page can change it, and uses only
rem commands and forms documented for Windows' cmd: @echo off, rem,
rem setlocal EnableExtensions, endlocal, set "name=value", if [/i] "a"=="b",
rem if [not] exist, ( ) blocks, goto, call :label, shift, exit /b,
rem for %%V in (...) do, pushd, popd, mkdir, rmdir /s /q, copy /b /y, move /y,
rem type, echo, echo., pause, the redirections > 2> and >nul, %TEMP%, %RANDOM%,
rem and the parameter forms %~1 %~f1 %~dp0 %~dpn1 %~nx1 %~x1 %%~zV %%~V.

setlocal EnableExtensions DisableDelayedExpansion
set "quilnote=%~dp0quilnote.exe"
:next
if "%~1"=="" goto end
call :convert "%~f1"
shift
goto next
:end
endlocal
pause
exit /b 0

rem Converts the text %1 (a full path in quotes). Names are echoed through
rem a for variable, which cmd does not read again, so that "&" or "^" in
rem a name stays text. Steps are joined by goto rather than by blocks in
rem parentheses, which Wine's cmd reads differently.
:convert
echo.
for %%V in ("%~nx1") do echo %%~V
if not exist "%~1" (
  echo    not found
  exit /b 1
)
rem A dropped PDF would be its own PDF file, and be written over.
if /i "%~x1"==".pdf" (
  echo    a PDF file, not converted
  exit /b 1
)
:new_folder
set "work=%TEMP%\quilnote_%RANDOM%_%RANDOM%"
if exist "%work%" goto new_folder
rem Each step is checked by what it leaves, not by its exit code, which
rem not every cmd sets for mkdir, copy and move.
mkdir "%work%"
if not exist "%work%\" exit /b 1
copy /b /y "%~1" "%work%\in.txt" >nul
if not exist "%work%\in.txt" goto failed
if exist "%~dpn1.pdf" copy /b /y "%~dpn1.pdf" "%work%\out.pdf" >nul
if exist "%~dpn1.pdf" if not exist "%work%\out.pdf" goto failed
pushd "%work%"
"%quilnote%" %options% -ea in.txt out.pdf 2>messages.txt
rem Its messages are shown by type, in the console's code page: they read
rem right in a Japanese console (932), as quilnote's statistics lines,
rem which it writes itself, do in every console.
type messages.txt
rem Only a run that wrote nothing on standard error made a PDF to keep.
for %%V in (messages.txt) do set "message_bytes=%%~zV"
if not "%message_bytes%"=="0" goto clean_up
if not exist out.pdf goto clean_up
move /y out.pdf "%~dpn1.pdf" >nul
if not exist out.pdf goto clean_up
echo    not moved: the PDF stays in %work%
popd
exit /b 1
:clean_up
popd
rmdir /s /q "%work%"
exit /b 0
:failed
echo    not copied
rmdir /s /q "%work%"
exit /b 1
