@echo off
rem The way back: puts the product back as it was before the newest update and removes that
rem update's receipt. Exit code 0 put back, 1 nothing to put back (or refused: see the log),
rem 2 some files could not be put back (close the product and run it again).
setlocal
call "%~dp0settings.cmd"
if defined RENOVO_FOLDER (
    "%~dp0RENOVO.EXE" /RESTORE "%RENOVO_FOLDER%" /VERYSILENT /LOG="%RENOVO_LOG%"
) else (
    "%~dp0RENOVO.EXE" /RESTORE /VERYSILENT /LOG="%RENOVO_LOG%"
)
exit /b %ERRORLEVEL%
