-- Dispatch: a plain int loop.
local s = 0
for rep = 0, 3 do
  for i = 0, 9999999 do s = (s + i) & 65535 end
end
print(s)
