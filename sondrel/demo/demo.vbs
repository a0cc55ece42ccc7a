' What Sondrel reports about this machine's memory.
Dim status
Set status = CreateObject("Sondrel.CMemoryStatus")
WScript.Echo "Memory load (%):        " & status.MemoryLoad
WScript.Echo "Total physical:         " & status.TotalPhysical
WScript.Echo "Available physical:     " & status.AvailablePhysical
WScript.Echo "Total page file:        " & status.TotalPageFile
WScript.Echo "Available page file:    " & status.AvailablePageFile
WScript.Echo "Total virtual:          " & status.TotalVirtual
WScript.Echo "Available virtual:      " & status.AvailableVirtual
