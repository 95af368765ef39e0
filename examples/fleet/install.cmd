@echo off
rem Install: run from the fleet tool's cache folder that holds the one-folder set (RENOVO.EXE,
rem info.txt and every disk's files) and these scripts, unattended. An update whose receipt is
rem already there is not run again. The exit code is Renovo's: 0 success, 5 and 1618 retry
rem later, anything else failure (README, "Deploying to many PCs").
setlocal
call "%~dp0settings.cmd"
call "%~dp0detect.cmd" >nul
if not errorlevel 1 (
    echo Renovo update %RENOVO_UPDATE% is installed already: nothing to do
    exit /b 0
)
if defined RENOVO_FOLDER (
    "%~dp0RENOVO.EXE" /VERYSILENT /DIR="%RENOVO_FOLDER%" /LOG="%RENOVO_LOG%"
) else (
    "%~dp0RENOVO.EXE" /VERYSILENT /LOG="%RENOVO_LOG%"
)
exit /b %ERRORLEVEL%
