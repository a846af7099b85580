@echo off
rem Names the major Windows release from zepho's major status, /ALL included.
rem Runs under COMMAND.COM (MS-DOS, Windows 95, 98, ME) and cmd.exe (NT on).
rem IF ERRORLEVEL n is true for n or higher, so the tests go from high to low.
rem cmd.exe runs zepho through ZEPHOSET.BAT beside this file, which picks
rem the build for the processor, and believes a status only where zepho
rem gave one. A command that is not found leaves ERRORLEVEL as it was in
rem COMMAND.COM, so there ZEPHO.EXE is looked for first, in the current
rem folder and on the PATH.
if not "%OS%"=="Windows_NT" goto dos
setlocal
if not exist "%~dp0ZEPHOSET.BAT" goto noloader
call "%~dp0ZEPHOSET.BAT" /ALL
if "%ZEPHO_STATUS%"=="" goto end
cmd /c exit %ZEPHO_STATUS%
goto status
:dos
if exist ZEPHO.EXE goto dosrun
set ZEPHOFOUND=
for %%D in (%PATH%) do if exist %%D\ZEPHO.EXE set ZEPHOFOUND=1
for %%D in (%PATH%) do if exist %%DZEPHO.EXE set ZEPHOFOUND=1
if "%ZEPHOFOUND%"=="" goto notfound
set ZEPHOFOUND=
:dosrun
zepho /ALL /QUIET
:status
rem The rest is made by /usr/bin/python3 tools/regenerate.py from the tables.
if errorlevel 255 goto s255
if errorlevel 16 goto newer
if errorlevel 15 goto s15
if errorlevel 14 goto s14
if errorlevel 13 goto s13
if errorlevel 12 goto s12
if errorlevel 11 goto s11
if errorlevel 10 goto s10
if errorlevel 9 goto s9
if errorlevel 8 goto s8
if errorlevel 7 goto s7
if errorlevel 6 goto s6
if errorlevel 5 goto s5
if errorlevel 4 goto s4
if errorlevel 3 goto s3
if errorlevel 2 goto s2
if errorlevel 1 goto s1
goto s0
:s255
echo Windows NT newer than this ZEPHO.EXE names (major status 255)
goto end
:newer
echo A release only a newer ZEPHO.EXE names (major status 16 to 254)
goto end
:s15
echo Windows NT above 10.0, given by ZEPHO 1.0.0 only (major status 15)
goto end
:s14
echo Windows 11 or Server 2025 (major status 14)
goto end
:s13
echo Windows 10, Server 2016, Server 2019 or Server 2022 (major status 13)
goto end
:s12
echo Windows 8.1 or Server 2012 R2 (major status 12)
goto end
:s11
echo Windows 8 or Server 2012 (major status 11)
goto end
:s10
echo Windows 7 or Server 2008 R2 (major status 10)
goto end
:s9
echo Windows Vista or Server 2008 (major status 9)
goto end
:s8
echo Windows XP Professional x64 Edition or Server 2003 (major status 8)
goto end
:s7
echo Windows XP (major status 7)
goto end
:s6
echo Windows 2000 (major status 6)
goto end
:s5
echo Windows NT 4.0 (major status 5)
goto end
:s4
echo Windows Millenium Edition (major status 4)
goto end
:s3
echo Windows 98 Second Edition (major status 3)
goto end
:s2
echo Windows 98 (major status 2)
goto end
:s1
echo Windows 95 (major status 1)
goto end
:s0
echo Not recognised, or not on Windows (major status 0)
goto end
:notfound
set ZEPHOFOUND=
echo ZEPHO.EXE not found: put it in the current folder or on the PATH
goto end
:noloader
echo ZEPHOSET.BAT not found: keep it beside this file
:end
