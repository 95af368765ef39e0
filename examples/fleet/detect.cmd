@echo off
rem Detection: exit code 0 and a line on the output when the update is on this PC (its receipt
rem is there), 1 when it is not. For tools that take a script; Intune and Configuration Manager
rem can take the registry rule itself instead (README, "Deploying to many PCs").
setlocal
call "%~dp0settings.cmd"
reg query "HKLM\SOFTWARE\Renovo\Updates\%RENOVO_PRODUCT%\%RENOVO_UPDATE%" /v Result %RENOVO_VIEW% >nul 2>&1
if errorlevel 1 exit /b 1
echo Renovo update %RENOVO_UPDATE% is installed
exit /b 0
