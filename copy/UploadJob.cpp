#include "copy/UploadJob.h"

TClientSettings ClientSettingsOf(const TIdFTP& model) {
    return {.Passive = model.Passive,
            .UseTLS = model.UseTLS,
            .DefaultPort = model.DefaultPort,
            .DataConnectTimeLimit = model.DataConnectTimeLimit,
            .FollowUpTimeLimit = model.FollowUpTimeLimit,
            .ConnectTimeLimit = model.ConnectTimeLimit,
            .ReplyTimeLimit = model.ReplyTimeLimit,
            .SendStallTimeLimit = model.SendStallTimeLimit,
            .ReadTimeout = model.ReadTimeout,
            .MaxLineLength = model.MaxLineLength,
            .RecvBufferSize = model.RecvBufferSize,
            .SendBufferSize = model.SendBufferSize,
            .BoundIP = model.BoundIP,
            .TransferType = model.TransferType(),
            .OnWorkBegin = model.OnWorkBegin,
            .OnWork = model.OnWork,
            .OnWorkEnd = model.OnWorkEnd};
}

void ApplyClientSettings(const TClientSettings& settings, TIdFTP& client) {
    client.Passive = settings.Passive;
    client.UseTLS = settings.UseTLS;
    client.DefaultPort = settings.DefaultPort;
    client.DataConnectTimeLimit = settings.DataConnectTimeLimit;
    client.FollowUpTimeLimit = settings.FollowUpTimeLimit;
    client.ConnectTimeLimit = settings.ConnectTimeLimit;
    client.ReplyTimeLimit = settings.ReplyTimeLimit;
    client.SendStallTimeLimit = settings.SendStallTimeLimit;
    client.ReadTimeout = settings.ReadTimeout;
    client.MaxLineLength = settings.MaxLineLength;
    client.RecvBufferSize = settings.RecvBufferSize;
    client.SendBufferSize = settings.SendBufferSize;
    client.BoundIP = settings.BoundIP;
    client.SetTransferType(settings.TransferType);
}
