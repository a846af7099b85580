@echo off
rem Names the Windows release from zepho's verbose status, /ALL included.
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
call "%~dp0ZEPHOSET.BAT" /VERBOSE /TERMINALS /ALL
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
zepho /VERBOSE /TERMINALS /ALL /QUIET
:status
rem The rest is made by /usr/bin/python3 tools/regenerate.py from the tables.
if errorlevel 255 goto s255
if errorlevel 33 goto newer
if errorlevel 32 goto s32
if errorlevel 31 goto s31
if errorlevel 30 goto s30
if errorlevel 29 goto s29
if errorlevel 28 goto s28
if errorlevel 27 goto s27
if errorlevel 26 goto s26
if errorlevel 25 goto s25
if errorlevel 24 goto s24
if errorlevel 23 goto s23
if errorlevel 22 goto s22
if errorlevel 21 goto s21
if errorlevel 20 goto s20
if errorlevel 19 goto s19
if errorlevel 18 goto s18
if errorlevel 17 goto s17
if errorlevel 16 goto s16
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
echo Windows NT newer than this ZEPHO.EXE names (verbose status 255)
goto end
:newer
echo A release only a newer ZEPHO.EXE names (verbose status 33 to 254)
goto end
:s32
echo Windows NT above 10.0, given by ZEPHO 1.0.0 only (verbose status 32)
goto end
:s31
echo Windows Server 2025 (verbose status 31)
goto end
:s30
echo Windows 11 (verbose status 30)
goto end
:s29
echo Windows Server 2022 (verbose status 29)
goto end
:s28
echo Windows Server 2019 (verbose status 28)
goto end
:s27
echo Windows Server 2016 (verbose status 27)
goto end
:s26
echo Windows 10 (verbose status 26)
goto end
:s25
echo Windows Server 2012 R2 (verbose status 25)
goto end
:s24
echo Windows 8.1 (verbose status 24)
goto end
:s23
echo Windows Server 2012 (verbose status 23)
goto end
:s22
echo Windows 8 (verbose status 22)
goto end
:s21
echo Windows Server 2008 R2 (verbose status 21)
goto end
:s20
echo Windows 7 (verbose status 20)
goto end
:s19
echo Windows Server 2008 (verbose status 19)
goto end
:s18
echo Windows Vista (verbose status 18)
goto end
:s17
echo Windows Server 2003 (verbose status 17)
goto end
:s16
echo Windows XP Professional x64 Edition (verbose status 16)
goto end
:s15
echo Windows XP (verbose status 15)
goto end
:s14
echo Windows 2000 Terminal Services Session (verbose status 14)
goto end
:s13
echo Windows NT 4.0 Terminal Server Edition (verbose status 13)
goto end
:s12
echo Windows 2000 (verbose status 12)
goto end
:s11
echo Windows NT 4.0 (verbose status 11)
goto end
:s10
echo Windows Millenium Edition (verbose status 10)
goto end
:s9
echo Windows 98 Second Edition final retail/OEM (verbose status 9)
goto end
:s8
echo Windows 98 SP1 final Update (verbose status 8)
goto end
:s7
echo Windows 98 final retail/OEM (verbose status 7)
goto end
:s6
echo Windows 95C OSR 2.5 final OEM (verbose status 6)
goto end
:s5
echo Windows 95B OSR 2.1 final OEM (verbose status 5)
goto end
:s4
echo Windows 95B OSR 2.1 final Update (verbose status 4)
goto end
:s3
echo Windows 95B OSR 2.0 final OEM (verbose status 3)
goto end
:s2
echo Windows 95a OSR1 final Update (verbose status 2)
goto end
:s1
echo Windows 95 final OEM/Retail (verbose status 1)
goto end
:s0
echo Not recognised, or not on Windows (verbose status 0)
goto end
:notfound
set ZEPHOFOUND=
echo ZEPHO.EXE not found: put it in the current folder or on the PATH
goto end
:noloader
echo ZEPHOSET.BAT not found: keep it beside this file
:end
