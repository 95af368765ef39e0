@rem What the scripts beside this one need to know of the update. Paste PRODUCT and UPDATE from
@rem the detection rule that `renovo-disk make` printed for the set in this folder:
@rem   Key: HKEY_LOCAL_MACHINE\SOFTWARE\Renovo\Updates\<PRODUCT>\<UPDATE>
set "RENOVO_PRODUCT=TOVAKA Demo"
set "RENOVO_UPDATE=6E2802488F65734556B26C0C1624BCDB"
@rem The product's folder; leave it empty to take the folder of its Uninstall entry.
set "RENOVO_FOLDER=C:\TOVAKA"
@rem The log of every run (the folder must exist; SYSTEM's own temporary folder does).
set "RENOVO_LOG=%SystemRoot%\Temp\Renovo-%COMPUTERNAME%.log"
@rem The receipt is in the 32-bit view; a 32-bit Windows has that view only (and the reg.exe of
@rem Windows XP knows no /reg: switch).
set "RENOVO_VIEW=/reg:32"
if /i "%PROCESSOR_ARCHITECTURE%"=="x86" if not defined PROCESSOR_ARCHITEW6432 set "RENOVO_VIEW="
