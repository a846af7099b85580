@echo off
rem Loads zepho's facts as ZEPHO_ variables for the script that CALLs it:
rem   call "%~dp0ZEPHOSET.BAT" /VERBOSE /ALL
rem   if errorlevel 1 goto nofacts
rem   cmd /c exit %ZEPHO_STATUS%
rem cmd.exe only. It runs, with /SET and the switches given, the builds
rem for the processor in turn (ARM64: ZEPHOA64.EXE, ZEPHO64.EXE, ZEPHO.EXE;
rem x64: ZEPHO64.EXE, ZEPHO.EXE; else ZEPHO.EXE) from beside this file,
rem or, where none is beside it, from the PATH; never from the current
rem folder. It sets the facts zepho prints and nothing else, every one of
rem them emptied first, and ends with ERRORLEVEL 0 where they were loaded;
rem else with 1 and a line for each copy it tried. /QUIET loads them and
rem prints nothing; /HELP shows the help screen and loads none.
setlocal enableextensions disabledelayedexpansion
set Z_=1
for /f "delims==" %%V in ('set Z_') do set %%V=
set "Z_HERE=%~dp0"
set Z_FACTS=STATUS RELEASE PLATFORM MAJOR MINOR BUILD CSD SP KIND BITS ^
EDITION INSTALL FEATURE UBR ARCH PE VERSION
set "Z_CPU=%PROCESSOR_ARCHITECTURE%"
if defined PROCESSOR_ARCHITEW6432 set "Z_CPU=%PROCESSOR_ARCHITEW6432%"
set Z_BUILDS=ZEPHO.EXE
if /i "%Z_CPU%"=="AMD64" set Z_BUILDS=ZEPHO64.EXE ZEPHO.EXE
if /i "%Z_CPU%"=="ARM64" set Z_BUILDS=ZEPHOA64.EXE ZEPHO64.EXE ZEPHO.EXE
for %%N in (%Z_FACTS%) do set ZEPHO_%%N=
:switch
if [%1]==[] goto find
set "Z_ARG=%~1"
if /i "%Z_ARG:~0,5%"=="/HELP" set Z_HELP=1
if /i "%Z_ARG:~0,6%"=="/QUIET" (set Z_QUIET=1) else set Z_ARGS=%Z_ARGS% %1
shift
goto switch
:find
for %%B in (%Z_BUILDS%) do if exist "%Z_HERE%%%B" set Z_BESIDE=1
for %%B in (%Z_BUILDS%) do if not defined Z_DONE call :beside %%B
if defined Z_BESIDE goto hand
rem So that no search takes a copy from the current folder, make it this one.
pushd "%Z_HERE%"
for %%B in (%Z_BUILDS%) do if not defined Z_DONE call :onpath %%B
popd
:hand
set Z_RC=1
if defined ZEPHO_STATUS set Z_RC=0
if defined Z_QUIET goto out
if defined Z_DONE goto out
for /f "tokens=1* delims==" %%A in ('set Z_SAID') do echo %%B
:out
rem The values are zepho's safe text, so they pass ENDLOCAL on one line.
set "Z_HAND=endlocal"
for %%N in (%Z_FACTS%) do ^
call set "Z_HAND=%%Z_HAND%% & set "ZEPHO_%%N=%%ZEPHO_%%N%%""
%Z_HAND% & exit /b %Z_RC%
:beside
set "Z_RUN=%Z_HERE%%1"
set "Z_WHY=not there"
if exist "%Z_RUN%" goto run
goto said
:onpath
set "Z_RUN=%~$PATH:1"
if defined Z_RUN goto run
set "Z_RUN=%1"
set "Z_WHY=not on the PATH"
goto said
:run
if not defined Z_HELP goto load
set Z_DONE=1
"%Z_RUN%" %Z_ARGS%
goto :eof
:load
for %%N in (%Z_FACTS%) do set ZEPHO_%%N=
for /f "tokens=1* delims==" %%A in ('call "%%Z_RUN%%" /SET %%Z_ARGS%%') ^
do for %%N in (%Z_FACTS%) do if "%%A"=="SET ZEPHO_%%N" set "ZEPHO_%%N=%%B"
if defined ZEPHO_STATUS set Z_DONE=1
if defined Z_DONE goto :eof
set "Z_WHY=there but gave no facts: damaged, wrong processor or blocked"
:said
set /a Z_LINES+=1
set "Z_SAID%Z_LINES%=%Z_RUN%: %Z_WHY%"
goto :eof
