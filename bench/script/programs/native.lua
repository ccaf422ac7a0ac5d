-- Binding: calls of a native string length function.
local strlen = string.len
local word = "tavrin"
local sum = 0
for rep = 0, 8 do
  for i = 0, 999999 do sum = (sum + strlen(word)) & 16777215 end
end
print(sum)
