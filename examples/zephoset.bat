@echo off
rem Runs zepho with /SET and the switches given and loads the facts it
rem prints as ZEPHO_ variables. Where zepho did not run, ZEPHO_STATUS stays
rem empty and a line says why: no such file, or one that gave no facts (a
rem damaged copy, one for another processor, one that policy blocks).
rem cmd.exe only. It takes ZEPHO64.EXE on x64 and ZEPHOA64.EXE on ARM64
rem where it finds one, else ZEPHO.EXE: beside this file first, then in the
rem current folder and on the PATH. Use it so, and IF ERRORLEVEL after:
rem   call "%~dp0ZEPHOSET.BAT" /VERBOSE /ALL
rem   if "%ZEPHO_STATUS%"=="" goto end
rem   cmd /c exit %ZEPHO_STATUS%
set ZEPHO_STATUS=
set ZEPHO_RUN=
set "ZEPHO_HERE=%~dp0"
if /i "%PROCESSOR_ARCHITECTURE%"=="AMD64" call :find ZEPHO64.EXE
if /i "%PROCESSOR_ARCHITECTURE%"=="ARM64" call :find ZEPHOA64.EXE
if not defined ZEPHO_RUN call :find ZEPHO.EXE
set ZEPHO_HERE=
if not defined ZEPHO_RUN goto missing
for /f "tokens=1,2* delims== " %%A in ('call "%%ZEPHO_RUN%%" /SET %* 2^>NUL') ^
do if "%%A"=="SET" set "%%B=%%C"
for %%F in ("%ZEPHO_RUN%") do set ZEPHO_RUN=%%~nxF
if not defined ZEPHO_STATUS goto silent
set ZEPHO_RUN=
goto :eof
:find
if exist "%ZEPHO_HERE%%1" set "ZEPHO_RUN=%ZEPHO_HERE%%1"
if not defined ZEPHO_RUN if exist "%CD%\%1" set "ZEPHO_RUN=%CD%\%1"
if not defined ZEPHO_RUN set "ZEPHO_RUN=%~$PATH:1"
goto :eof
:missing
echo ZEPHO.EXE not found: put it in the current folder or on the PATH
goto :eof
:silent
echo %ZEPHO_RUN% is there but gave no facts: damaged, wrong processor ^
or blocked
set ZEPHO_RUN=
