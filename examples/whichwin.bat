@echo off
rem Names the Windows release from zepho's verbose status, /ALL included.
rem Runs under COMMAND.COM (MS-DOS, Windows 95, 98, ME) and cmd.exe (NT on).
rem IF ERRORLEVEL n is true for n or higher, so the tests go from high to low.
rem A command that is not found leaves ERRORLEVEL as it was in COMMAND.COM,
rem so there ZEPHO.EXE is looked for first, in the current folder and on the
rem PATH; cmd.exe sets ERRORLEVEL 9009 for a command it cannot find.
if not "%OS%"=="Windows_NT" goto dos
zepho /VERBOSE /TERMINALS /ALL /QUIET
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
zepho /VERBOSE /TERMINALS /ALL /QUIET
:status
if errorlevel 33 goto unknown
if errorlevel 32 goto ntnew
if errorlevel 31 goto s2025
if errorlevel 30 goto w11
if errorlevel 29 goto s2022
if errorlevel 28 goto s2019
if errorlevel 27 goto s2016
if errorlevel 26 goto w10
if errorlevel 25 goto s2012r2
if errorlevel 24 goto w81
if errorlevel 23 goto s2012
if errorlevel 22 goto w8
if errorlevel 21 goto s2008r2
if errorlevel 20 goto w7
if errorlevel 19 goto s2008
if errorlevel 18 goto vista
if errorlevel 17 goto s2003
if errorlevel 16 goto xp64
if errorlevel 15 goto xp
if errorlevel 14 goto w2kts
if errorlevel 13 goto nt4ts
if errorlevel 12 goto w2k
if errorlevel 11 goto nt4
if errorlevel 10 goto me
if errorlevel 9 goto w98se
if errorlevel 8 goto w98sp1
if errorlevel 7 goto w98
if errorlevel 6 goto w95c
if errorlevel 5 goto w95b21o
if errorlevel 4 goto w95b21u
if errorlevel 3 goto w95b20
if errorlevel 2 goto w95a
if errorlevel 1 goto w95
goto zero
:unknown
echo Unknown release
goto end
:ntnew
echo Windows NT, newer than Windows 11 and Server 2025 (verbose status 32)
goto end
:s2025
echo Windows Server 2025 (verbose status 31)
goto end
:w11
echo Windows 11 (verbose status 30)
goto end
:s2022
echo Windows Server 2022 (verbose status 29)
goto end
:s2019
echo Windows Server 2019 (verbose status 28)
goto end
:s2016
echo Windows Server 2016 (verbose status 27)
goto end
:w10
echo Windows 10 (verbose status 26)
goto end
:s2012r2
echo Windows Server 2012 R2 (verbose status 25)
goto end
:w81
echo Windows 8.1 (verbose status 24)
goto end
:s2012
echo Windows Server 2012 (verbose status 23)
goto end
:w8
echo Windows 8 (verbose status 22)
goto end
:s2008r2
echo Windows Server 2008 R2 (verbose status 21)
goto end
:w7
echo Windows 7 (verbose status 20)
goto end
:s2008
echo Windows Server 2008 (verbose status 19)
goto end
:vista
echo Windows Vista (verbose status 18)
goto end
:s2003
echo Windows Server 2003 (verbose status 17)
goto end
:xp64
echo Windows XP Professional x64 Edition (verbose status 16)
goto end
:xp
echo Windows XP (verbose status 15)
goto end
:w2kts
echo Windows 2000 Terminal Services session (verbose status 14)
goto end
:nt4ts
echo Windows NT 4.0 Terminal Server Edition (verbose status 13)
goto end
:w2k
echo Windows 2000 (verbose status 12)
goto end
:nt4
echo Windows NT 4.0 (verbose status 11)
goto end
:me
echo Windows Millenium Edition (verbose status 10)
goto end
:w98se
echo Windows 98 Second Edition (verbose status 9)
goto end
:w98sp1
echo Windows 98 SP1 (verbose status 8)
goto end
:w98
echo Windows 98 (verbose status 7)
goto end
:w95c
echo Windows 95C OSR 2.5 (verbose status 6)
goto end
:w95b21o
echo Windows 95B OSR 2.1 OEM (verbose status 5)
goto end
:w95b21u
echo Windows 95B OSR 2.1 Update (verbose status 4)
goto end
:w95b20
echo Windows 95B OSR 2.0 (verbose status 3)
goto end
:w95a
echo Windows 95a OSR1 (verbose status 2)
goto end
:w95
echo Windows 95 (verbose status 1)
goto end
:zero
echo Not recognised, or not on Windows (verbose status 0)
goto end
:notfound
set ZEPHOFOUND=
echo ZEPHO.EXE not found: put it in the current folder or on the PATH
:end
