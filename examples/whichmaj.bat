@echo off
rem Names the major Windows release from zepho's major status, /ALL included.
rem Runs under COMMAND.COM (MS-DOS, Windows 95, 98, ME) and cmd.exe (NT on).
rem IF ERRORLEVEL n is true for n or higher, so the tests go from high to low.
rem A command that is not found leaves ERRORLEVEL as it was in COMMAND.COM,
rem so there ZEPHO.EXE is looked for first, in the current folder and on the
rem PATH; cmd.exe sets ERRORLEVEL 9009 for a command it cannot find.
if not "%OS%"=="Windows_NT" goto dos
zepho /ALL /QUIET
if errorlevel 9009 goto notfound
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
if errorlevel 16 goto unknown
if errorlevel 15 goto ntnew
if errorlevel 14 goto w11
if errorlevel 13 goto w10
if errorlevel 12 goto w81
if errorlevel 11 goto w8
if errorlevel 10 goto w7
if errorlevel 9 goto vista
if errorlevel 8 goto xp64
if errorlevel 7 goto xp
if errorlevel 6 goto w2k
if errorlevel 5 goto nt4
if errorlevel 4 goto me
if errorlevel 3 goto w98se
if errorlevel 2 goto w98
if errorlevel 1 goto w95
goto zero
:unknown
echo Unknown release
goto end
:ntnew
echo Windows NT, newer than Windows 11 and Server 2025 (major status 15)
goto end
:w11
echo Windows 11 or Server 2025 (major status 14)
goto end
:w10
echo Windows 10 or Server 2016, 2019 or 2022 (major status 13)
goto end
:w81
echo Windows 8.1 or Server 2012 R2 (major status 12)
goto end
:w8
echo Windows 8 or Server 2012 (major status 11)
goto end
:w7
echo Windows 7 or Server 2008 R2 (major status 10)
goto end
:vista
echo Windows Vista or Server 2008 (major status 9)
goto end
:xp64
echo Windows XP x64 or Server 2003 (major status 8)
goto end
:xp
echo Windows XP (major status 7)
goto end
:w2k
echo Windows 2000 (major status 6)
goto end
:nt4
echo Windows NT 4.0 (major status 5)
goto end
:me
echo Windows Millenium Edition (major status 4)
goto end
:w98se
echo Windows 98 Second Edition (major status 3)
goto end
:w98
echo Windows 98 (major status 2)
goto end
:w95
echo Windows 95 (major status 1)
goto end
:zero
echo Not recognised, or not on Windows (major status 0)
goto end
:notfound
set ZEPHOFOUND=
echo ZEPHO.EXE not found: put it in the current folder or on the PATH
:end
