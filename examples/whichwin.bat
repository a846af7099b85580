@echo off
rem Names the Windows release from zepho's verbose status.
rem IF ERRORLEVEL n is true for n or higher, so the tests go from high to low.
rem Runs under COMMAND.COM (Windows 95, 98, ME) and cmd.exe (NT, 2000, XP).
zepho /VERBOSE /TERMINALS /QUIET
if errorlevel 16 goto unknown
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
:unknown
echo Unknown release
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
:end
